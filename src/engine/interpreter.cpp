#include "engine/interpreter.h"

#include "builtins/files/file_table.h"
#include "builtins/registry.h"
#include "builtins/text/mersenne_twister.h"
#include "engine/block_check.h"
#include "engine/block_scan.h"

namespace vx {

Interpreter::Interpreter() {
  for (BuiltinHandler& h : handlers_) h = nullptr;
  callStates_.emplace_back();
  registerAllBuiltins(*this);
}

Interpreter::~Interpreter() = default;

bool Interpreter::prepare() {
  std::vector<TokenLine>& lines = script_.tokenLines();
  for (size_t i = 1; i < lines.size(); ++i) names_.internLine(lines[i]);
  ScriptError error;
  if (!checkBlockStructure(lines, error)) {
    currentLine_ = error.line;
    raiseFatal(static_cast<MessageId>(error.messageId), error.column);
    return false;
  }
  if (!scanFunctions()) return false;
  scanner_ = std::make_unique<BlockScanner>(lines);
  return true;
}

void Interpreter::runScript(RunHost& host) {
  host_ = &host;
  runState_ = RunState::Running;
  run(1);
  host_ = nullptr;
}

}  // namespace vx

// Built-in calls: the argument list is parsed and evaluated here, counted
// against the table, and the handler is reached by the table index the lexer
// stored in the token.
#include "engine/interpreter.h"

namespace vx {

namespace {

// Arguments of most calls fit here, so a call allocates nothing.
constexpr int kInlineArguments = 8;

}  // namespace

bool Interpreter::closingParenthesis(const TokenLine& line, size_t open, size_t& close) {
  close = open + 1;
  for (int depth = 1;; ++close) {
    const TokenKind k = line[close].kind;
    if (k == TokenKind::EndOfLine) {
      raiseFatal(MessageId::ErrorParsingCall, line[close].column);
      return false;
    }
    if (k == TokenKind::LeftParen) ++depth;
    else if (k == TokenKind::RightParen && --depth == 0) return true;
  }
}

bool Interpreter::callBuiltin(const TokenLine& line, size_t& pos, int index, Variant& result) {
  const Token& name = line[pos];
  const BuiltinInfo& info = builtinInfo(index);
  ++pos;
  if (line[pos].kind != TokenKind::LeftParen) {
    raiseFatal(MessageId::ErrorParsingCall, name.column);
    return false;
  }
  // The matching parenthesis bounds every argument's evaluation.
  size_t close;
  if (!closingParenthesis(line, pos, close)) return false;
  ++pos;
  Variant inlineArgs[kInlineArguments];
  std::vector<Variant> moreArgs;
  Variant* args = inlineArgs;
  int count = 0;
  if (pos != close) {
    for (;;) {
      if (count == kInlineArguments) {
        moreArgs.assign(std::make_move_iterator(inlineArgs), std::make_move_iterator(inlineArgs + count));
      }
      Variant value;
      if (!evaluate(line, pos, value, close)) return false;
      if (count < kInlineArguments) inlineArgs[count] = std::move(value);
      else moreArgs.push_back(std::move(value));
      ++count;
      if (pos == close) break;
      if (line[pos].kind != TokenKind::Comma || pos + 1 == close) {
        raiseFatal(MessageId::ErrorParsingCall, line[pos].column);
        return false;
      }
      ++pos;
    }
    if (count > kInlineArguments) args = moreArgs.data();
  }
  pos = close + 1;
  if (count < info.minArgs || count > info.maxArgs) {
    raiseFatal(MessageId::WrongParameterCount, name.column);
    return false;
  }
  result.setInt32(1);
  CallState& state = call();
  state.error = 0;
  state.extended.setInt32(0);
  state.errorSetByScript = state.extendedSetByScript = false;
  BuiltinHandler handler = handlers_[index];
  if (!handler) {
    // A family not in this build: a clear stop that names the function,
    // never a silent no-op.
    String what = String::fromAscii(" ");
    what.append(String(info.name));
    raiseFatal(MessageId::FunctionNotAvailable, name.column, what);
    return false;
  }
  return handler(*this, args, count, result) == 0 && !exiting();
}

}  // namespace vx

// Script functions run for events (Adlib timers, start-up and exit
// functions) and the run's dynamic services: text evaluated at run time,
// variables by name, and calls by name.
#include <cstdio>

#include "engine/interpreter.h"
#include "lexer/lexer.h"
#include "platform/platform.h"

namespace vx {

namespace {

constexpr int kMaxCallDepth = 3900;

}  // namespace

void Interpreter::runFunctionPlain(const UserFunction& f) {
  const int savedCurrent = currentLine_, savedNext = nextLine_;
  const size_t savedBase = blockBase_;
  pushFrame(f.funcLine);
  callStates_.emplace_back();
  blockBase_ = blocks_.size();
  run(f.funcLine + 1);
  while (blocks_.size() > blockBase_) blocks_.pop_back();
  blockBase_ = savedBase;
  callStates_.pop_back();
  popFrame();
  currentLine_ = savedCurrent;
  nextLine_ = savedNext;
}

void Interpreter::runForEvent(const UserFunction& f) {
  // The interrupted code carries on as if nothing happened: its line, run
  // state, wait and error state are put back afterwards.
  const int savedCurrent = currentLine_, savedNext = nextLine_;
  const RunState savedState = runState_;
  const uint32_t savedTimeout = waitTimeout_, savedStart = waitStart_;
  const size_t savedBase = blockBase_;
  const bool savedLeave = leaveLevel_;
  callStates_.push_back(call());
  pushFrame(f.funcLine);
  blockBase_ = blocks_.size();
  runState_ = RunState::Running;
  run(f.funcLine + 1);
  while (blocks_.size() > blockBase_) blocks_.pop_back();
  blockBase_ = savedBase;
  popFrame();
  callStates_.pop_back();
  if (runState_ != RunState::Exiting) runState_ = savedState;
  waitTimeout_ = savedTimeout;
  waitStart_ = savedStart;
  currentLine_ = savedCurrent;
  nextLine_ = savedNext;
  leaveLevel_ = savedLeave;
}

bool Interpreter::serveAdlib() {
  if (adlibs_.empty() || adlibRunning_) return false;
  adlibRunning_ = true;
  const uint32_t now = platform::milliseconds();
  bool ran = false;
  for (size_t i = 0; i < adlibs_.size() && !exiting(); ++i) {
    if (adlibs_[i].removed || now - adlibs_[i].lastStart < adlibs_[i].interval) continue;
    adlibs_[i].lastStart = now;
    const UserFunction* f = findFunction(adlibs_[i].name);
    if (!f) continue;
    adlibs_[i].running = true;
    runForEvent(*f);
    adlibs_[i].running = false;
    ran = true;
  }
  size_t kept = 0;
  for (size_t i = 0; i < adlibs_.size(); ++i)
    if (!adlibs_[i].removed) adlibs_[kept++] = adlibs_[i];
  adlibs_.resize(kept);
  adlibRunning_ = false;
  return ran;
}

int Interpreter::registerAdlib(const String& name, int32_t interval) {
  const int32_t id = names_.find(name.upperAscii());
  if (!findFunction(id)) return 0;
  const uint32_t ms = interval > 0 ? static_cast<uint32_t>(interval) : 250;
  for (AdlibEntry& e : adlibs_) {
    if (e.name != id) continue;
    e.removed = false;
    e.interval = ms;
    if (!e.running) e.lastStart = platform::milliseconds();
    setExtended(1);
    return 1;
  }
  adlibs_.push_back({id, ms, platform::milliseconds(), false, false});
  return 1;
}

int Interpreter::unregisterAdlib(const String* name) {
  if (name) {
    const int32_t id = names_.find(name->upperAscii());
    for (AdlibEntry& e : adlibs_)
      if (e.name == id) e.removed = true;
  } else {
    for (size_t i = adlibs_.size(); i-- > 0;) {
      if (!adlibs_[i].removed) {
        adlibs_[i].removed = true;
        break;
      }
    }
  }
  int remaining = 0;
  for (const AdlibEntry& e : adlibs_) remaining += !e.removed;
  return remaining;
}

int Interpreter::registerExitFunction(const String& name) {
  if (!findFunction(names_.find(name.upperAscii()))) return 0;
  for (const String& n : exitFunctions_) {
    if (n == name) {
      setExtended(1);
      return 1;
    }
  }
  exitFunctions_.push_back(name);
  return 1;
}

int Interpreter::unregisterExitFunction(const String& name) {
  if (!findFunction(names_.find(name.upperAscii()))) return 0;
  for (size_t i = 0; i < exitFunctions_.size(); ++i) {
    if (exitFunctions_[i] == name) {
      exitFunctions_.erase(exitFunctions_.begin() + static_cast<std::ptrdiff_t>(i));
      return 1;
    }
  }
  return 0;
}

void Interpreter::runExitFunctions() {
  if (host_) host_->setPaused(false);
  runState_ = RunState::Running;
  // Registration may go on inside an exit function; walk by index.
  for (size_t i = 0; i < exitFunctions_.size(); ++i) {
    if (const UserFunction* f = findFunction(names_.find(exitFunctions_[i].upperAscii()))) {
      runState_ = RunState::Running;
      runFunctionPlain(*f);
    }
  }
  runState_ = RunState::Exiting;
}

void Interpreter::sessionEnding() {
  if (finishing_) return;
  finishing_ = true;
  if (host_ && host_->exitMethod() != 0) exitMethod = host_->exitMethod();
  const RunState saved = runState_;
  runExitFunctions();
  runState_ = saved;
}

void Interpreter::runStartupFunctions() {
  for (const String& name : script_.startupFunctions) {
    if (exiting()) return;
    if (const UserFunction* f = findFunction(names_.find(name.upperAscii()))) runFunctionPlain(*f);
  }
}

bool Interpreter::executeText(const String& text, Variant& result) {
  const bool wasSilenced = silenced;
  silenced = true;
  runtimeLines_.emplace_back();
  TokenLine& line = runtimeLines_.back();
  LexError error;
  bool ok = lexLine(text, false, line, error) && line.size() > 1;
  if (ok) {
    names_.internLine(line);
    size_t pos = 0;
    ok = evaluate(line, pos, result);
  }
  runtimeLines_.pop_back();
  silenced = wasSilenced;
  return ok;
}

Variant* Interpreter::variableByName(const String& name, int mode) {
  const int32_t id = names_.find(name.upperAscii());
  if (id < 0) return nullptr;
  Binding* b = findInMode(mode, id);
  return b ? b->value : nullptr;
}

int Interpreter::assignByName(const String& name, const Variant& value, int flags) {
  const String upper = name.upperAscii();
  for (size_t i = 0; i < upper.length(); ++i)
    if (upper[i] == u'[') return -1;
  if (!upper.empty() && upper[0] == u'@') return -1;
  const int mode = (flags & 2) ? 2 : (flags & 1) ? 1 : 0;
  const int32_t id = names_.intern(upper);
  if (Binding* b = findInMode(mode, id)) {
    if (b->flags & kConst) return -1;
    *b->value = value;
    return 1;
  }
  if (flags & 4) return -2;
  createInMode(mode, id, value);
  return 1;
}

int Interpreter::declaredScope(const String& name) {
  const int32_t id = names_.find(name.upperAscii());
  if (id < 0) return 0;
  if (!frames_.empty() && frames_.back()->find(id)) return -1;
  return globals_.find(id) ? 1 : 0;
}

bool Interpreter::callByName(const String& name, Variant* args, int count, Variant& result) {
  if (callDepth_ >= kMaxCallDepth) {
    silenced = false;
    raiseFatal(MessageId::RecursionExceeded, -1);
    return false;
  }
  const String upper = name.upperAscii();
  const UserFunction* f = findFunction(names_.find(upper));
  if (!f) return false;
  // The one-argument array form: ["CALLArgArray", arg0, arg1, ...].
  int first = 0;
  std::vector<Variant> fromArray;
  if (count == 1 && args[0].isArray() && args[0].dimensionCount() == 1) {
    uint32_t zero = 0;
    const Variant* head = args[0].element(&zero, 1, false);
    if (head && head->isString() && head->asString().upperAscii().equalsAscii("CALLARGARRAY")) {
      for (uint32_t i = 1; i < args[0].dimensionSize(0); ++i) fromArray.push_back(*args[0].element(&i, 1, false));
      args = fromArray.data();
      count = static_cast<int>(fromArray.size());
      first = 0;
    } else {
      first = 1;
    }
  } else {
    first = 1;
  }
  if (count < f->minArgs || count > f->maxArgs) return false;
  ++callDepth_;
  pushFrame(0);
  String text = upper;
  text.append(u'(');
  for (int i = 0; i < count; ++i) {
    char variable[40];
    snprintf(variable, sizeof variable, "VEXLETCALLVARIABLE%d", i + first);
    const String varName = String::fromAscii(variable);
    frames_.back()->create(names_.intern(varName), 0, args[i]);
    if (i > 0) text.append(u',');
    text.append(u'$');
    text.append(varName);
  }
  text.append(u')');
  runtimeLines_.emplace_back();
  TokenLine& line = runtimeLines_.back();
  LexError error;
  bool ok = lexLine(text, false, line, error) && line[0].kind == TokenKind::UserFunction;
  if (ok) {
    names_.internLine(line);
    size_t pos = 0;
    ok = callUser(line, pos, result);
  }
  runtimeLines_.pop_back();
  popFrame();
  --callDepth_;
  return ok;
}

}  // namespace vx

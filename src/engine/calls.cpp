// User functions: the scan that collects the definitions before the run, the
// parameter list of a Func line, and the call with by-value, by-reference and
// default arguments. A call runs the body as a nested level of the run loop.
#include "engine/block_scan.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

bool isKw(const Token& t, Keyword k) { return t.kind == TokenKind::Keyword && t.value.index == static_cast<int>(k); }

bool isLiteral(const Token& t) {
  return t.kind == TokenKind::Int32 || t.kind == TokenKind::Int64 || t.kind == TokenKind::Double ||
         t.kind == TokenKind::StringLiteral || t.kind == TokenKind::Keyword;
}

}  // namespace

// Reads the parameter at `pos` of a Func line. Returns 0 on success, or the
// message id of what is wrong with `errorColumn` set.
int Interpreter::parseParameter(const TokenLine& line, size_t& pos, Parameter& p, int& errorColumn) {
  p = Parameter{-1, false, false, 0, 0};
  while (line[pos].kind == TokenKind::Keyword) {
    if (isKw(line[pos], Keyword::ByRef)) p.byRef = true;
    else if (isKw(line[pos], Keyword::Const)) p.constant = true;
    else {
      errorColumn = line[pos].column;
      return static_cast<int>(MessageId::BadFuncStatement);
    }
    ++pos;
  }
  if (line[pos].kind != TokenKind::Variable) {
    errorColumn = line[pos].column;
    return static_cast<int>(MessageId::ExpectedVariableInCall);
  }
  p.name = line[pos].value.index;
  ++pos;
  if (line[pos].kind == TokenKind::Equal) {
    errorColumn = -1;
    if (p.byRef) return static_cast<int>(MessageId::BadFuncStatement);
    ++pos;
    p.defaultStart = pos;
    if (line[pos].kind == TokenKind::Plus || line[pos].kind == TokenKind::Minus) ++pos;
    if (!isLiteral(line[pos])) return static_cast<int>(MessageId::BadFuncStatement);
    ++pos;
    p.defaultEnd = pos;
  }
  return 0;
}

bool Interpreter::scanFunctions() {
  const std::vector<TokenLine>& lines = script_.tokenLines();
  const int n = script_.count();
  auto fail = [&](int line, MessageId id, int column) {
    currentLine_ = line;
    raiseFatal(id, column);
    return false;
  };
  for (int i = 1; i <= n; ++i) {
    const TokenLine& line = lines[static_cast<size_t>(i)];
    if (firstKeyword(line) != Keyword::Func) continue;
    if (line[1].kind != TokenKind::UserFunction) return fail(i, MessageId::BadFuncStatement, -1);
    const int32_t name = line[1].value.index;
    if (findFunction(name)) return fail(i, MessageId::DuplicateFunction, -1);
    if (line[2].kind != TokenKind::LeftParen) return fail(i, MessageId::BadFuncStatement, -1);
    size_t pos = 3;
    int count = 0, minimum = -1;
    std::vector<int32_t> seen;
    if (line[pos].kind == TokenKind::RightParen) {
      ++pos;
    } else {
      for (;;) {
        Parameter p;
        int column = -1;
        if (int id = parseParameter(line, pos, p, column)) return fail(i, static_cast<MessageId>(id), column);
        for (int32_t s : seen)
          if (s == p.name) return fail(i, MessageId::DuplicateParameter, line[pos - 1].column);
        seen.push_back(p.name);
        const bool hasDefault = p.defaultEnd > p.defaultStart;
        if (hasDefault && minimum < 0) minimum = count;
        if (!hasDefault && minimum >= 0) return fail(i, MessageId::BadFuncStatement, -1);
        ++count;
        if (line[pos].kind == TokenKind::RightParen) {
          ++pos;
          break;
        }
        if (line[pos].kind != TokenKind::Comma) return fail(i, MessageId::BadFuncStatement, line[pos].column);
        ++pos;
        if (line[pos].kind == TokenKind::RightParen) return fail(i, MessageId::ExpectedVariableInCall, line[pos].column);
      }
    }
    if (line[pos].kind != TokenKind::EndOfLine) return fail(i, MessageId::IllegalTextAtEnd, -1);
    int end = i + 1;
    for (; end <= n; ++end) {
      const Keyword k = firstKeyword(lines[static_cast<size_t>(end)]);
      if (k == Keyword::EndFunc) break;
      if (k == Keyword::Func) end = n + 1;
    }
    if (end > n) return fail(i, MessageId::FuncWithoutEndFunc, -1);
    if (static_cast<size_t>(name) >= functionByName_.size()) functionByName_.resize(static_cast<size_t>(name) + 1, -1);
    functionByName_[static_cast<size_t>(name)] = static_cast<int>(functions_.size());
    functions_.push_back({name, i, end, minimum < 0 ? count : minimum, count});
  }
  return true;
}

const UserFunction* Interpreter::findFunction(int32_t name) const {
  if (name < 0 || static_cast<size_t>(name) >= functionByName_.size()) return nullptr;
  const int index = functionByName_[static_cast<size_t>(name)];
  return index < 0 ? nullptr : &functions_[static_cast<size_t>(index)];
}

bool Interpreter::callUser(const TokenLine& line, size_t& pos, Variant& result) {
  const Token& nameToken = line[pos];
  const UserFunction* f = findFunction(nameToken.value.index);
  if (!f) {
    raiseFatal(MessageId::UnknownFunction, nameToken.column);
    return false;
  }
  const UserFunction function = *f;
  ++pos;
  if (line[pos].kind != TokenKind::LeftParen) {
    raiseFatal(MessageId::ErrorParsingCall, nameToken.column);
    return false;
  }
  size_t close;
  if (!closingParenthesis(line, pos, close)) return false;
  ++pos;

  const TokenLine& funcLine = script_.tokenLines()[static_cast<size_t>(function.funcLine)];
  std::vector<CallArgument>& args = argumentScratch();
  std::vector<Parameter>& params = parameterScratch();
  args.clear();
  params.clear();
  size_t q = 3;
  if (funcLine[q].kind != TokenKind::RightParen) {
    for (;;) {
      Parameter p;
      int column;
      parseParameter(funcLine, q, p, column);  // checked by the scan
      params.push_back(p);
      if (funcLine[q].kind != TokenKind::Comma) break;
      ++q;
    }
  }

  auto release = [&](bool ok) {
    releaseCallScratch();
    return ok;
  };
  if (pos != close) {
    for (size_t k = 0;; ++k) {
      args.emplace_back();
      CallArgument& arg = args.back();
      const bool byRef = k < params.size() && params[k].byRef;
      if (byRef && line[pos].kind == TokenKind::Variable) {
        const Token& var = line[pos];
        Binding* b = findVisible(var.value.index);
        if (!b) {
          raiseFatal(MessageId::UndeclaredVariable, var.column);
          return release(false);
        }
        if ((b->flags & kConst) && !params[k].constant) {
          raiseFatal(MessageId::ConstantByReference, var.column);
          return release(false);
        }
        ++pos;
        Variant* target = b->value;
        if (line[pos].kind == TokenKind::LeftBracket) {
          if (!target->isArray()) {
            raiseFatal(MessageId::SubscriptOnNonArray, var.column);
            return release(false);
          }
          std::vector<uint32_t> subscripts;
          if (!readSubscripts(line, pos, subscripts, var.column)) return release(false);
          target = findVisible(var.value.index)->value;
          target = target->isArray() ? target->element(subscripts.data(), static_cast<int>(subscripts.size()), true)
                                     : nullptr;
          if (!target) {
            raiseFatal(MessageId::BadSubscripts, var.column);
            return release(false);
          }
          Scope* owners = frames_.empty() || !frames_.back()->find(var.value.index) ? &globals_ : frames_.back().get();
          arg.isElement = true;
          arg.path = ElementPath{owners, var.value.index, std::move(subscripts)};
        }
        if (pos != close && line[pos].kind != TokenKind::Comma) {
          raiseFatal(MessageId::ErrorParsingCall, line[pos].column);
          return release(false);
        }
        arg.target = target;
      } else {
        Variant value;
        if (!evaluate(line, pos, value, close)) return release(false);
        args.back().value = std::move(value);
      }
      if (pos == close) break;
      if (line[pos].kind != TokenKind::Comma || pos + 1 == close) {
        raiseFatal(MessageId::ErrorParsingCall, line[pos].column);
        return release(false);
      }
      ++pos;
    }
  }
  pos = close + 1;
  const int count = static_cast<int>(args.size());
  if (count < function.minArgs || count > function.maxArgs) {
    raiseFatal(MessageId::WrongParameterCount, nameToken.column);
    return release(false);
  }

  // A new frame: locals, call state, and the caller's place to come back to.
  pushFrame(function.funcLine);
  callStates_.emplace_back();
  Scope& locals = *frames_.back();
  for (size_t k = 0; k < params.size(); ++k) {
    const Parameter& p = params[k];
    const uint8_t flags = static_cast<uint8_t>(kParameter | (p.constant ? kConst : 0));
    if (k < args.size()) {
      if (args[k].isElement) locals.createElementAlias(p.name, flags, std::move(args[k].path), args[k].target);
      else if (args[k].target) locals.createAlias(p.name, flags, args[k].target);
      else locals.create(p.name, flags, args[k].value);
    } else {
      Variant value;
      size_t d = p.defaultStart;
      const int savedLine = currentLine_;
      currentLine_ = function.funcLine;
      evaluate(funcLine, d, value, p.defaultEnd);
      currentLine_ = savedLine;
      locals.create(p.name, flags, value);
    }
  }
  release(true);

  const int savedNumParams = numParams_;
  const int savedCurrent = currentLine_, savedNext = nextLine_;
  const size_t savedBlockBase = blockBase_;
  numParams_ = count;
  blockBase_ = blocks_.size();
  run(function.funcLine + 1);
  while (blocks_.size() > blockBase_) blocks_.pop_back();
  blockBase_ = savedBlockBase;
  currentLine_ = savedCurrent;
  nextLine_ = savedNext;
  numParams_ = savedNumParams;

  CallState& callee = callStates_.back();
  if (callee.returned) result = std::move(callee.returnValue);
  else result.setInt32(0);
  const int32_t error = callee.errorSetByScript ? callee.error : 0;
  Variant extended = callee.extendedSetByScript ? std::move(callee.extended) : Variant();
  callStates_.pop_back();
  popFrame();
  CallState& caller = call();
  caller.error = error;
  caller.extended = std::move(extended);
  caller.errorSetByScript = false;
  return !exiting();
}

void Interpreter::pushFrame(int funcLine) {
  if (framePool_.empty()) {
    frames_.push_back(std::make_unique<Scope>());
  } else {
    frames_.push_back(std::move(framePool_.back()));
    framePool_.pop_back();
  }
  frameLines_.push_back(funcLine);
}

void Interpreter::popFrame() {
  frames_.back()->clear();
  framePool_.push_back(std::move(frames_.back()));
  frames_.pop_back();
  frameLines_.pop_back();
}

}  // namespace vx

namespace vx {

std::vector<CallArgument>& Interpreter::argumentScratch() {
  if (callScratchDepth_ == argumentLists_.size()) {
    argumentLists_.emplace_back();
    parameterLists_.emplace_back();
  }
  return argumentLists_[callScratchDepth_++];
}

}  // namespace vx

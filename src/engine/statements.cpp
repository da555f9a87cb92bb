// Keyword statements: conditionals, loops, Select and Switch, Exit, and the
// lines the run loop meets at the edges of functions. Block ends come from
// the forward scanner, which remembers what it found per opening line.
#include "engine/block_scan.h"
#include "engine/interpreter.h"
#include "engine/operators.h"

namespace vx {

namespace {

bool isKw(const Token& t, Keyword k) { return t.kind == TokenKind::Keyword && t.value.index == static_cast<int>(k); }
bool atEnd(const Token& t) { return t.kind == TokenKind::EndOfLine; }
bool isLoop(BlockKindRun k) { return k == BlockKindRun::While || k == BlockKindRun::Do || k == BlockKindRun::For; }

// The loop test: step < 0 ? value >= limit : value <= limit.
bool forContinues(const Variant& value, const Variant& limit, const Variant& step) {
  const bool down = compare(CompareOp::Less, step, Variant::fromDouble(0));
  return down ? compare(CompareOp::GreaterEqual, value, limit) : compare(CompareOp::LessEqual, value, limit);
}

}  // namespace

// Runs the tokens from `pos` as a statement of their own.
bool Interpreter::executeTokens(const TokenLine& line, size_t pos) {
  const Token& t = line[pos];
  switch (t.kind) {
    case TokenKind::Keyword: return keywordStatement(line, pos);
    case TokenKind::Builtin: {
      Variant ignored;
      if (!callBuiltin(line, pos, t.value.index, ignored)) return false;
      if (!atEnd(line[pos])) {
        raiseFatal(MessageId::IllegalTextAtEnd, line[pos].column);
        return false;
      }
      return true;
    }
    case TokenKind::Variable: return assignmentStatement(line, pos);
    case TokenKind::UserFunction: {
      Variant ignored;
      if (!callUser(line, pos, ignored)) return false;
      if (!atEnd(line[pos])) {
        raiseFatal(MessageId::IllegalTextAtEnd, line[pos].column);
        return false;
      }
      return true;
    }
    case TokenKind::Member: raiseFatal(MessageId::ObjectOutsideWith, t.column); return false;
    case TokenKind::EndOfLine: return true;
    default: raiseFatal(MessageId::UnableToParseLine, t.column); return false;
  }
}

bool Interpreter::expectEnd(const TokenLine& line, size_t pos) {
  if (atEnd(line[pos])) return true;
  raiseFatal(MessageId::IllegalTextAtEnd, line[pos].column);
  return false;
}

// Evaluates the condition of a line other than the current one (an ElseIf,
// a Case, the While of a WEnd): errors name that line.
bool Interpreter::conditionOfLine(int lineIndex, size_t pos, bool& truth, size_t* after) {
  const int saved = currentLine_;
  currentLine_ = lineIndex;
  const TokenLine& line = script_.tokenLines()[static_cast<size_t>(lineIndex)];
  const bool ok = condition(line, pos, truth);
  if (after) *after = pos;
  if (ok && !exiting()) currentLine_ = saved;
  return ok;
}

bool Interpreter::ifStatement(const TokenLine& line, size_t pos) {
  bool truth = false;
  if (!condition(line, pos, truth)) return false;
  if (!isKw(line[pos], Keyword::Then)) {
    raiseFatal(MessageId::IfWithoutThen, line[pos].column);
    return false;
  }
  ++pos;
  if (!atEnd(line[pos])) return truth ? executeTokens(line, pos) : true;

  const int start = currentLine_;
  const int end = scanner_->endOf(BlockKind::If, start);
  std::vector<int>& branches = lineScratch();
  scanner_->branchLines(start, branches);
  int chosen = truth ? start + 1 : 0;
  bool elseSeen = false;
  const auto& lines = script_.tokenLines();
  for (int b : branches) {
    const TokenLine& branch = lines[static_cast<size_t>(b)];
    if (elseSeen) {
      currentLine_ = b;
      raiseFatal(MessageId::TooManyElse, -1);
      return releaseLines(false);
    }
    if (firstKeyword(branch) == Keyword::Else) {
      elseSeen = true;
      if (!chosen) chosen = b + 1;
      continue;
    }
    if (chosen) continue;
    bool branchTruth = false;
    size_t after = 0;
    if (!conditionOfLine(b, 1, branchTruth, &after)) return releaseLines(false);
    if (!isKw(branch[after], Keyword::Then)) {
      currentLine_ = b;
      raiseFatal(MessageId::IfWithoutThen, branch[after].column);
      return releaseLines(false);
    }
    if (!atEnd(branch[after + 1])) {
      currentLine_ = b;
      raiseFatal(MessageId::IllegalTextAtEnd, branch[after + 1].column);
      return releaseLines(false);
    }
    if (branchTruth) chosen = b + 1;
  }
  blocks_.emplace_back(BlockKindRun::If, start, end);
  nextLine_ = chosen ? chosen : end;
  return releaseLines(true);
}

bool Interpreter::forStatement(const TokenLine& line, size_t pos) {
  const Token& var = line[pos];
  if (var.kind != TokenKind::Variable) {
    raiseFatal(MessageId::BadForStatement, var.column);
    return false;
  }
  Binding* b = findInMode(1 /* current */, var.value.index);
  if (!b) b = createInMode(1, var.value.index, Variant::fromInt32(0));
  if (b->flags & kConst) {
    raiseFatal(MessageId::AssignToConstant, var.column);
    return false;
  }
  Variant* loopVariable = b->value;
  ++pos;
  std::vector<uint32_t> subscripts;
  if (loopVariable->isArray() && line[pos].kind == TokenKind::LeftBracket) {
    if (!readSubscripts(line, pos, subscripts, var.column)) return false;
    loopVariable = findInMode(1, var.value.index)->value;
    loopVariable = loopVariable->isArray()
                       ? loopVariable->element(subscripts.data(), static_cast<int>(subscripts.size()), true)
                       : nullptr;
    if (!loopVariable) {
      raiseFatal(MessageId::BadSubscripts, var.column);
      return false;
    }
  }
  const int start = currentLine_;
  const int end = scanner_->endOf(BlockKind::For, start);
  if (isKw(line[pos], Keyword::In)) {
    ++pos;
    Variant collection;
    if (!evaluate(line, pos, collection) || !expectEnd(line, pos)) return false;
    if (!collection.isArray()) {
      raiseFatal(MessageId::NeedsObject, line[pos].column);
      return false;
    }
    uint32_t first = 0;
    const Variant* element = collection.dimensionSize(0) > 0 ? collection.element(&first, 1, false) : nullptr;
    if (!element) {
      loopVariable->setString(String());
      nextLine_ = end + 1;
      return true;
    }
    *loopVariable = *element;
    blocks_.emplace_back(BlockKindRun::For, start, end, loopVariable, std::move(collection), Variant::fromInt32(0));
    blocks_.back().enumerating = true;
    return true;
  }
  ++pos;  // the "=", whatever it is
  Variant startValue, limit, step = Variant::fromInt32(1);
  if (!evaluate(line, pos, startValue)) return false;
  if (!isKw(line[pos], Keyword::To)) {
    raiseFatal(MessageId::BadForStatement, line[pos].column);
    return false;
  }
  ++pos;
  if (!evaluate(line, pos, limit)) return false;
  if (isKw(line[pos], Keyword::Step)) {
    ++pos;
    if (!evaluate(line, pos, step)) return false;
  }
  if (!expectEnd(line, pos)) return false;
  if (startValue.isString() && limit.isString()) {
    startValue.setDouble(startValue.toDouble());
    limit.setDouble(limit.toDouble());
  }
  *loopVariable = std::move(startValue);
  if (!forContinues(*loopVariable, limit, step)) {
    nextLine_ = end + 1;
    return true;
  }
  blocks_.emplace_back(BlockKindRun::For, start, end, loopVariable, std::move(limit), std::move(step));
  if (!subscripts.empty()) {
    blocks_.back().elementOf = var.value.index;
    blocks_.back().subscripts = std::move(subscripts);
  }
  return true;
}

bool Interpreter::nextStatement() {
  BlockRecord& block = blocks_.back();
  if (block.enumerating) {
    const int32_t index = block.step.int32Value() + 1;
    block.step.setInt32(index);
    if (static_cast<uint32_t>(index) < block.limit.dimensionSize(0)) {
      uint32_t i = static_cast<uint32_t>(index);
      if (const Variant* element = block.limit.element(&i, 1, false)) *block.loopVariable = *element;
      nextLine_ = block.startLine + 1;
      return true;
    }
  } else {
    if (block.elementOf >= 0) {
      Binding* b = findInMode(1, block.elementOf);
      block.loopVariable = b && b->value->isArray() ? b->value->element(block.subscripts.data(),
                                                                          static_cast<int>(block.subscripts.size()), true)
                                                    : nullptr;
      if (!block.loopVariable) {
        raiseFatal(MessageId::BadSubscripts, -1);
        return false;
      }
    }
    Variant& value = *block.loopVariable;
    if (value.isInt32() && block.step.isInt32()) {
      int32_t sum;
      if (!__builtin_add_overflow(value.int32Value(), block.step.int32Value(), &sum)) value.setInt32(sum);
      else addInPlace(value, block.step);
    } else {
      addInPlace(value, block.step);
    }
    if (forContinues(value, block.limit, block.step)) {
      nextLine_ = block.startLine + 1;
      return true;
    }
  }
  blocks_.pop_back();
  return true;
}

bool Interpreter::loopControl(const TokenLine& line, size_t pos, bool exitLoop) {
  int32_t n = 1;
  if (!atEnd(line[pos])) {
    Variant count;
    if (!evaluate(line, pos, count) || !expectEnd(line, pos)) return false;
    n = count.toInt32();
  }
  if (n <= 0) return true;
  for (;;) {
    if (blocks_.size() <= blockBase_) {
      raiseFatal(MessageId::LoopControlOutsideLoop, -1);
      return false;
    }
    BlockRecord& top = blocks_.back();
    if (isLoop(top.kind) && --n == 0) {
      if (exitLoop) {
        nextLine_ = top.endLine + 1;
        blocks_.pop_back();
      } else {
        nextLine_ = top.endLine;
      }
      return true;
    }
    blocks_.pop_back();
  }
}

bool Interpreter::selectStatement(const TokenLine& line, size_t pos, bool isSwitch) {
  const int start = currentLine_;
  Variant subject;
  if (isSwitch) {
    if (atEnd(line[pos])) {
      raiseFatal(MessageId::ErrorInExpression, line[pos].column);
      return false;
    }
    if (!evaluate(line, pos, subject) || !expectEnd(line, pos)) return false;
  }
  const int end = scanner_->endOf(isSwitch ? BlockKind::Switch : BlockKind::Select, start);
  std::vector<int>& cases = lineScratch();
  scanner_->caseLines(start, cases);
  if (end == 0 || cases.empty()) {
    raiseFatal(isSwitch ? MessageId::SwitchWithoutEndSwitch : MessageId::SelectWithoutEndSelect, -1);
    return releaseLines(false);
  }
  const auto& lines = script_.tokenLines();
  int chosen = 0;
  for (int c : cases) {
    const TokenLine& caseLine = lines[static_cast<size_t>(c)];
    currentLine_ = c;
    if (isKw(caseLine[1], Keyword::Else)) {
      if (isSwitch && !expectEnd(caseLine, 2)) return releaseLines(false);
      chosen = c + 1;
      break;
    }
    size_t p = 1;
    bool match = false;
    if (!isSwitch) {
      Variant value;
      if (!evaluate(caseLine, p, value) || !expectEnd(caseLine, p)) return releaseLines(false);
      match = value.truth();
    } else {
      for (;;) {
        Variant low;
        if (!evaluate(caseLine, p, low)) return releaseLines(false);
        if (isKw(caseLine[p], Keyword::To)) {
          ++p;
          Variant high;
          if (!evaluate(caseLine, p, high)) return releaseLines(false);
          match = compare(CompareOp::GreaterEqual, subject, low) && compare(CompareOp::LessEqual, subject, high);
        } else {
          match = compare(CompareOp::Equal, subject, low);
        }
        if (match) break;
        if (caseLine[p].kind == TokenKind::Comma) {
          ++p;
          continue;
        }
        if (!expectEnd(caseLine, p)) return releaseLines(false);
        break;
      }
    }
    if (match) {
      chosen = c + 1;
      break;
    }
  }
  currentLine_ = start;
  blocks_.emplace_back(isSwitch ? BlockKindRun::Switch : BlockKindRun::Select, start, end);
  nextLine_ = chosen ? chosen : end;
  return releaseLines(true);
}

bool Interpreter::continueCase(const TokenLine& line, size_t pos) {
  if (!expectEnd(line, pos)) return false;
  int after = currentLine_;
  while (blocks_.size() > blockBase_ && blocks_.back().kind != BlockKindRun::Select &&
         blocks_.back().kind != BlockKindRun::Switch) {
    after = blocks_.back().endLine;
    blocks_.pop_back();
  }
  if (blocks_.size() <= blockBase_) {
    raiseFatal(MessageId::ContinueCaseOutsideCase, line[pos].column);
    return false;
  }
  const BlockRecord& top = blocks_.back();
  std::vector<int>& cases = lineScratch();
  scanner_->caseLines(top.startLine, cases);
  nextLine_ = top.endLine;
  for (int c : cases) {
    if (c > after) {
      nextLine_ = c + 1;
      break;
    }
  }
  return releaseLines(true);
}

bool Interpreter::keywordStatement(const TokenLine& line, size_t pos) {
  const Keyword keyword = static_cast<Keyword>(line[pos].value.index);
  const size_t next = pos + 1;
  switch (keyword) {
    case Keyword::If: return ifStatement(line, next);
    case Keyword::Else:
    case Keyword::ElseIf:
      nextLine_ = blocks_.back().endLine + 1;
      blocks_.pop_back();
      return true;
    case Keyword::EndIf:
    case Keyword::EndSelect:
    case Keyword::EndSwitch:
      if (blocks_.size() > blockBase_) blocks_.pop_back();
      return true;
    case Keyword::While: {
      bool truth = false;
      size_t p = next;
      if (!condition(line, p, truth) || !expectEnd(line, p)) return false;
      const int end = scanner_->endOf(BlockKind::While, currentLine_);
      if (truth) blocks_.emplace_back(BlockKindRun::While, currentLine_, end);
      else nextLine_ = end + 1;
      return true;
    }
    case Keyword::WEnd: {
      const BlockRecord& block = blocks_.back();
      bool truth = false;
      if (!conditionOfLine(block.startLine, 1, truth, nullptr)) return false;
      if (truth) {
        nextLine_ = block.startLine + 1;
      } else {
        blocks_.pop_back();
      }
      return true;
    }
    case Keyword::Do:
      blocks_.emplace_back(BlockKindRun::Do, currentLine_, scanner_->endOf(BlockKind::Do, currentLine_));
      return true;
    case Keyword::Until: {
      bool truth = false;
      size_t p = next;
      if (!condition(line, p, truth) || !expectEnd(line, p)) return false;
      if (truth) blocks_.pop_back();
      else nextLine_ = blocks_.back().startLine + 1;
      return true;
    }
    case Keyword::For: return forStatement(line, next);
    case Keyword::Next: return nextStatement();
    case Keyword::ExitLoop: return loopControl(line, next, true);
    case Keyword::ContinueLoop: return loopControl(line, next, false);
    case Keyword::Select: return selectStatement(line, next, false);
    case Keyword::Switch: return selectStatement(line, next, true);
    case Keyword::Case:
      nextLine_ = blocks_.back().endLine;
      return true;
    case Keyword::ContinueCase: return continueCase(line, next);
    case Keyword::Dim:
    case Keyword::ReDim:
    case Keyword::Local:
    case Keyword::Global: return declarationStatement(line, next, static_cast<int>(keyword));
    case Keyword::Const: return constStatement(line, next, 0);
    case Keyword::Enum: return enumStatement(line, next, 0, false);
    case Keyword::Func: {
      // Functions run only when called; skip to the line after EndFunc.
      const UserFunction* f = findFunction(line[next].value.index);
      nextLine_ = (f ? f->endLine : currentLine_) + 1;
      return true;
    }
    case Keyword::EndFunc: leaveLevel_ = true; return true;
    case Keyword::Return: {
      if (frames_.empty()) {
        raiseFatal(MessageId::InvalidKeywordAtStart, -1);
        return false;
      }
      leaveLevel_ = true;  // whatever the value's fate, the function ends here
      if (atEnd(line[next])) return true;
      size_t p = next;
      Variant value;
      if (!evaluate(line, p, value) || !expectEnd(line, p)) return false;
      call().returnValue = std::move(value);
      call().returned = true;
      return true;
    }
    case Keyword::Exit: {
      exitMethod = 1;
      if (!atEnd(line[next])) {
        size_t p = next;
        Variant code;
        if (!evaluate(line, p, code) || !expectEnd(line, p)) return false;
        const int64_t value = code.toInt64();
        if (setExitCodeOption && value > 2147479551) {
          raiseFatal(MessageId::ReservedExitCode, -1);
          return false;
        }
        exitCode = code.toInt32();
      }
      runState_ = RunState::Exiting;
      return true;
    }
    case Keyword::With: {
      if (withObject_.isObject()) {
        raiseFatal(MessageId::NestedWith, line[pos].column);
        return false;
      }
      if (line[next].kind != TokenKind::Variable) {
        raiseFatal(MessageId::WithNeedsObject, line[next].column);
        return false;
      }
      size_t p = next;
      Variant value;
      if (!readVariable(line, p, value)) return false;
      if (!value.isObject()) {
        raiseFatal(MessageId::WithNeedsObject, line[next].column);
        return false;
      }
      if (!expectEnd(line, p)) return false;
      withObject_ = std::move(value);
      return true;
    }
    case Keyword::EndWith:
      if (!expectEnd(line, next)) return false;
      withObject_.setString(String());
      return true;
    case Keyword::Static: return staticStatement(line, next, 0);
    default: raiseFatal(MessageId::InvalidKeywordAtStart, -1); return false;
  }
}

}  // namespace vx

// Variables: lookup by mode, reading with subscripts, the assignment
// statement and the declaration statements (Dim, Local, Global, ReDim,
// Const, Enum).
#include "engine/interpreter.h"
#include "engine/operators.h"
#include "lexer/keywords.h"

namespace vx {

namespace {

enum Mode { kVisible, kCurrent, kGlobal };

bool is(const Token& t, TokenKind kind) { return t.kind == kind; }
bool isKeyword(const Token& t, Keyword k) { return t.kind == TokenKind::Keyword && t.value.index == static_cast<int>(k); }

}  // namespace

Binding* Interpreter::findVisible(int32_t name) {
  if (!frames_.empty()) {
    if (Binding* b = frames_.back()->find(name)) {
      if (b->flags & kElementAlias) frames_.back()->locateElement(*b);
      return b;
    }
  }
  return globals_.find(name);
}

Binding* Interpreter::createVisible(int32_t name, const Variant& initial, uint8_t flags) {
  Scope& scope = frames_.empty() ? globals_ : *frames_.back();
  return scope.create(name, flags, initial);
}

void Interpreter::declareGlobal(const String& name, Variant value, bool constant) {
  const int32_t id = names_.intern(name);
  if (Binding* b = globals_.find(id)) {
    *b->value = std::move(value);
    b->flags = constant ? kConst : 0;
    return;
  }
  globals_.create(id, constant ? kConst : 0, value);
}

const Variant* Interpreter::findGlobal(const String& name) {
  const int32_t id = names_.find(name);
  if (id < 0) return nullptr;
  Binding* b = globals_.find(id);
  return b ? b->value : nullptr;
}

// After one declaration of a list: 1 at the end of the line, 0 after the
// comma that starts the next one, -1 after reporting anything else.
int Interpreter::endOfDeclaration(const TokenLine& line, size_t& pos) {
  if (is(line[pos], TokenKind::EndOfLine)) return 1;
  if (!is(line[pos], TokenKind::Comma)) {
    raiseFatal(MessageId::NoVariableDeclared, line[pos].column);
    return -1;
  }
  ++pos;
  return 0;
}

// Reads "[expr]" at `pos` as an integer of at least `minimum`; anything else
// is a badly formatted subscript.
bool Interpreter::bracketedInteger(const TokenLine& line, size_t& pos, int64_t minimum, int column, int64_t& value) {
  ++pos;
  Variant v;
  if (!evaluate(line, pos, v) || !is(line[pos], TokenKind::RightBracket) || (value = v.toInt64()) < minimum) {
    raiseFatal(MessageId::SubscriptBadlyFormatted, column);
    return false;
  }
  ++pos;
  return true;
}

// Reads the subscripts at `pos` ("[i][j]...") into `out`; false after a fatal error.
bool Interpreter::readSubscripts(const TokenLine& line, size_t& pos, std::vector<uint32_t>& out, int column) {
  out.clear();
  while (is(line[pos], TokenKind::LeftBracket)) {
    int64_t i;
    if (!bracketedInteger(line, pos, 0, column, i)) return false;
    out.push_back(i > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(i));
  }
  return true;
}

bool Interpreter::readVariable(const TokenLine& line, size_t& pos, Variant& out) {
  const Token& t = line[pos];
  Binding* b = findVisible(t.value.index);
  if (!b) {
    raiseFatal(MessageId::UndeclaredVariable, t.column);
    return false;
  }
  ++pos;
  if (!is(line[pos], TokenKind::LeftBracket)) {
    out = *b->value;
    if (expandStrings && out.isString()) expandString(out);
    return true;
  }
  if (!b->value->isArray()) {
    raiseFatal(MessageId::SubscriptOnNonArray, t.column);
    return false;
  }
  std::vector<uint32_t>& subscripts = subscriptScratch();
  if (!readSubscripts(line, pos, subscripts, t.column)) return releaseScratch(false);
  // The subscripts may have run code that changed the variable; look again.
  b = findVisible(t.value.index);
  Variant* element = b && b->value->isArray()
                         ? b->value->element(subscripts.data(), static_cast<int>(subscripts.size()), false)
                         : nullptr;
  if (!element) {
    raiseFatal(MessageId::BadSubscripts, t.column);
    return releaseScratch(false);
  }
  out = *element;
  if (expandStrings && out.isString()) expandString(out);
  return releaseScratch(true);
}

bool Interpreter::assignmentStatement(const TokenLine& line, size_t start) {
  const Token& var = line[start];
  const int32_t name = var.value.index;
  Binding* b = findVisible(name);
  if (b && (b->flags & kConst)) {
    raiseFatal(MessageId::AssignToConstant, var.column);
    return false;
  }
  size_t pos = start + 1;
  std::vector<uint32_t> subscripts;
  const bool subscripted = b && is(line[pos], TokenKind::LeftBracket);
  if (subscripted) {
    if (!b->value->isArray()) {
      raiseFatal(MessageId::SubscriptOnNonArray, var.column);
      return false;
    }
    if (!readSubscripts(line, pos, subscripts, var.column)) return false;
    b = findVisible(name);
    if (!b || !b->value->isArray() ||
        !b->value->element(subscripts.data(), static_cast<int>(subscripts.size()), false)) {
      raiseFatal(MessageId::BadSubscripts, var.column);
      return false;
    }
  }
  if (is(line[pos], TokenKind::Member)) {
    raiseFatal(MessageId::NeedsObject, line[pos].column);
    return false;
  }
  const TokenKind op = line[pos].kind;
  if (op != TokenKind::Equal && op != TokenKind::PlusAssign && op != TokenKind::MinusAssign &&
      op != TokenKind::StarAssign && op != TokenKind::SlashAssign && op != TokenKind::AmpersandAssign) {
    raiseFatal(MessageId::ExpectedAssignment, line[pos].column);
    return false;
  }
  ++pos;
  Variant value;
  if (!evaluate(line, pos, value)) return false;
  if (!is(line[pos], TokenKind::EndOfLine)) {
    raiseFatal(MessageId::IllegalTextAtEnd, line[pos].column);
    return false;
  }
  // The right-hand side may have created or resized the variable: find the target now.
  b = findVisible(name);
  Variant* target = nullptr;
  if (b) {
    target = b->value;
    if (subscripted) {
      target = target->isArray() ? target->element(subscripts.data(), static_cast<int>(subscripts.size()), true)
                                 : nullptr;
      if (!target) {
        raiseFatal(MessageId::BadSubscripts, var.column);
        return false;
      }
    }
  }
  if (!target) {
    if (mustDeclareVars || op != TokenKind::Equal) {
      raiseFatal(MessageId::UndeclaredVariable, var.column);
      return false;
    }
    createVisible(name, value);
    return true;
  }
  switch (op) {
    case TokenKind::Equal: *target = std::move(value); break;
    case TokenKind::PlusAssign:
      if (target->isInt32() && value.isInt32()) {
        int32_t sum;
        if (!__builtin_add_overflow(target->int32Value(), value.int32Value(), &sum)) {
          target->setInt32(sum);
          break;
        }
      }
      addInPlace(*target, value);
      break;
    case TokenKind::MinusAssign: subtractInPlace(*target, value); break;
    case TokenKind::StarAssign: multiplyInPlace(*target, value); break;
    case TokenKind::SlashAssign: divideInPlace(*target, value); break;
    default: concatenateInPlace(*target, value); break;
  }
  return true;
}

bool Interpreter::readDimensions(const TokenLine& line, size_t& pos, std::vector<uint32_t>& sizes) {
  sizes.clear();
  while (is(line[pos], TokenKind::LeftBracket)) {
    const int column = line[pos].column;
    int64_t n;
    if (!bracketedInteger(line, pos, 1, column, n)) return false;
    if (sizes.size() == static_cast<size_t>(kMaxArrayDimensions)) {
      raiseFatal(MessageId::TooManySubscripts, column);
      return false;
    }
    sizes.push_back(n > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(n));
  }
  return true;
}

bool Interpreter::dimensionArray(Variant& target, const std::vector<uint32_t>& sizes, int column) {
  if (!target.dimension(sizes.data(), static_cast<int>(sizes.size()))) {
    raiseFatal(MessageId::ArrayTooLarge, column);
    return false;
  }
  return true;
}

bool Interpreter::arrayLiteral(const TokenLine& line, size_t& pos, int32_t name) {
  Binding* b = findVisible(name);
  const int dims = b->value->dimensionCount();
  std::vector<uint32_t> index(static_cast<size_t>(dims), 0);
  int level = -1;
  for (;;) {
    const Token& t = line[pos];
    if (is(t, TokenKind::LeftBracket)) {
      if (++level >= dims) {
        raiseFatal(MessageId::TooManySubscripts, t.column);
        return false;
      }
      index[static_cast<size_t>(level)] = 0;
      ++pos;
      continue;
    }
    if (is(t, TokenKind::RightBracket)) {
      ++pos;
      if (--level < 0) return true;
      continue;
    }
    if (is(t, TokenKind::Comma) && level >= 0) {
      ++index[static_cast<size_t>(level)];
      ++pos;
      continue;
    }
    if (level < 0 || is(t, TokenKind::EndOfLine)) {
      raiseFatal(MessageId::MissingRightBracket, t.column);
      return false;
    }
    if (level < dims - 1) {
      raiseFatal(MessageId::MissingDimensions, t.column);
      return false;
    }
    Variant value;
    if (!evaluate(line, pos, value)) return false;
    b = findVisible(name);
    Variant* element = b->value->element(index.data(), dims, true);
    if (!element) {
      raiseFatal(MessageId::BadSubscripts, t.column);
      return false;
    }
    *element = std::move(value);
    if (!is(line[pos], TokenKind::Comma) && !is(line[pos], TokenKind::RightBracket)) {
      raiseFatal(MessageId::MissingRightBracket, line[pos].column);
      return false;
    }
  }
}

// Whether the initializer from `pos` (up to a depth-0 comma) names the variable itself.
static bool initializerNamesItself(const TokenLine& line, size_t pos, int32_t name) {
  int depth = 0;
  for (; line[pos].kind != TokenKind::EndOfLine; ++pos) {
    const Token& t = line[pos];
    if (t.kind == TokenKind::LeftParen || t.kind == TokenKind::LeftBracket) ++depth;
    else if (t.kind == TokenKind::RightParen || t.kind == TokenKind::RightBracket) --depth;
    else if (t.kind == TokenKind::Comma && depth <= 0) return false;
    else if (t.kind == TokenKind::Variable && t.value.index == name) return true;
  }
  return false;
}

bool Interpreter::initializer(const TokenLine& line, size_t& pos, int32_t name, bool isReDim, bool alwaysScan) {
  const int column = line[pos].column;
  ++pos;  // the "="
  if ((mustDeclareVars || alwaysScan) && initializerNamesItself(line, pos, name)) {
    raiseFatal(MessageId::SelfInitialisation, line[pos].column);
    return false;
  }
  Binding* b = findVisible(name);
  if (is(line[pos], TokenKind::LeftBracket)) {
    if (isReDim) {
      raiseFatal(MessageId::BadReDimInitialiser, line[pos].column);
      return false;
    }
    if (!b->value->isArray()) {
      raiseFatal(MessageId::SubscriptOnNonArray, line[pos].column);
      return false;
    }
    return arrayLiteral(line, pos, name);
  }
  if (b->value->isArray()) {
    raiseFatal(MessageId::MissingDimensions, column);
    return false;
  }
  Variant value;
  if (!evaluate(line, pos, value)) {
    raiseFatal(MessageId::ErrorInExpression, column);
    return false;
  }
  b = findVisible(name);
  *b->value = std::move(value);
  return true;
}

Binding* Interpreter::findInMode(int mode, int32_t name) {
  if (mode == kGlobal || frames_.empty()) return globals_.find(name);
  if (mode == kCurrent) return frames_.back()->find(name);
  return findVisible(name);
}

Binding* Interpreter::createInMode(int mode, int32_t name, const Variant& initial, uint8_t flags) {
  Scope& scope = (mode == kGlobal || frames_.empty()) ? globals_ : *frames_.back();
  return scope.create(name, flags, initial);
}

bool Interpreter::declarationStatement(const TokenLine& line, size_t pos, int keyword) {
  const bool isReDim = keyword == static_cast<int>(Keyword::ReDim);
  const int mode = keyword == static_cast<int>(Keyword::Local)    ? kCurrent
                   : keyword == static_cast<int>(Keyword::Global) ? kGlobal
                                                                  : kVisible;
  if (!isReDim) {
    if (isKeyword(line[pos], Keyword::Const)) return constStatement(line, pos + 1, mode);
    if (isKeyword(line[pos], Keyword::Enum)) return enumStatement(line, pos + 1, mode, false);
    if (isKeyword(line[pos], Keyword::Static)) return staticStatement(line, pos + 1, mode);
  }
  std::vector<uint32_t> sizes;
  for (;;) {
    const Token& var = line[pos];
    if (!is(var, TokenKind::Variable)) {
      raiseFatal(MessageId::NoVariableDeclared, var.column);
      return false;
    }
    const int32_t name = var.value.index;
    Binding* b = findInMode(mode, name);
    const bool existed = b != nullptr;
    if (!frames_.empty() && (mode == kCurrent || mode == kGlobal)) {
      Binding* local = frames_.back()->find(name);
      if (local && (local->flags & kParameter)) {
        raiseFatal(MessageId::RedeclareParameter, var.column);
        return false;
      }
    }
    if (b) {
      if (b->flags & kConst) {
        raiseFatal(MessageId::RedeclareConstant, var.column);
        return false;
      }
      if (b->flags & kStatic) {
        raiseFatal(MessageId::CannotUnmakeStatic, var.column);
        return false;
      }
    } else if (isReDim) {
      raiseFatal(MessageId::UndeclaredVariable, var.column);
      return false;
    } else {
      b = createInMode(mode, name, Variant::fromString(String()));
    }
    if (isReDim && !b->value->isArray()) {
      raiseFatal(MessageId::ReDimWithoutArray, var.column);
      return false;
    }
    ++pos;
    if (!readDimensions(line, pos, sizes)) return false;
    b = findInMode(mode, name);
    if (!sizes.empty()) {
      Variant old;
      if (isReDim) old = *b->value;
      if (!dimensionArray(*b->value, sizes, var.column)) return false;
      if (isReDim) Variant::copyKeptContents(*b->value, old);
    }
    if (is(line[pos], TokenKind::Equal)) {
      if (existed && sizes.empty()) b->value->setString(String());
      if (!initializer(line, pos, name, isReDim, false)) return false;
    }
    if (const int end = endOfDeclaration(line, pos)) return end > 0;
  }
}

bool Interpreter::constStatement(const TokenLine& line, size_t pos, int mode) {
  if (isKeyword(line[pos], Keyword::Enum)) return enumStatement(line, pos + 1, mode, true);
  std::vector<uint32_t> sizes;
  for (;;) {
    const Token& var = line[pos];
    if (!is(var, TokenKind::Variable)) {
      raiseFatal(MessageId::NoVariableDeclared, var.column);
      return false;
    }
    const int32_t name = var.value.index;
    if (Binding* b = findInMode(mode, name)) {
      raiseFatal((b->flags & kConst) ? MessageId::RedeclareConstant : MessageId::CannotMakeConstant, var.column);
      return false;
    }
    createInMode(mode, name, Variant::fromString(String()), kConst);
    ++pos;
    if (!readDimensions(line, pos, sizes)) return false;
    if (!sizes.empty() && !dimensionArray(*findInMode(mode, name)->value, sizes, var.column)) return false;
    if (!is(line[pos], TokenKind::Equal)) {
      raiseFatal(MessageId::ExpectedAssignment, line[pos].column);
      return false;
    }
    if (!initializer(line, pos, name, false, true)) return false;
    if (const int end = endOfDeclaration(line, pos)) return end > 0;
  }
}

bool Interpreter::enumStatement(const TokenLine& line, size_t pos, int mode, bool) {
  Variant running = Variant::fromInt32(0);
  Variant step = Variant::fromInt32(1);
  TokenKind stepOp = TokenKind::Plus;
  if (isKeyword(line[pos], Keyword::Step)) {
    ++pos;
    if (is(line[pos], TokenKind::Plus) || is(line[pos], TokenKind::Minus) || is(line[pos], TokenKind::Star)) {
      stepOp = line[pos].kind;
      if (stepOp == TokenKind::Star) running.setInt32(1);
      ++pos;
    }
    if (!is(line[pos], TokenKind::Int32)) {
      raiseFatal(MessageId::BadEnum, line[pos].column);
      return false;
    }
    step.setInt32(line[pos].value.i32);
    ++pos;
  }
  for (;;) {
    const Token& var = line[pos];
    if (!is(var, TokenKind::Variable)) {
      raiseFatal(MessageId::BadEnum, var.column);
      return false;
    }
    ++pos;
    if (is(line[pos], TokenKind::Equal)) {
      ++pos;
      if (!evaluate(line, pos, running)) {
        raiseFatal(MessageId::ErrorInExpression, -1);
        return false;
      }
    }
    if (findInMode(mode, var.value.index)) {
      raiseFatal(MessageId::AssignToConstant, var.column);
      return false;
    }
    createInMode(mode, var.value.index, running, kConst);
    if (stepOp == TokenKind::Plus) addInPlace(running, step);
    else if (stepOp == TokenKind::Minus) subtractInPlace(running, step);
    else multiplyInPlace(running, step);
    if (const int end = endOfDeclaration(line, pos)) return end > 0;
  }
}

// Skips an initializer's tokens up to the next comma outside brackets, or
// the end of the line.
static void skipInitializer(const TokenLine& line, size_t& pos) {
  int depth = 0;
  for (; line[pos].kind != TokenKind::EndOfLine; ++pos) {
    const TokenKind k = line[pos].kind;
    if (k == TokenKind::LeftParen || k == TokenKind::LeftBracket) ++depth;
    else if (k == TokenKind::RightParen || k == TokenKind::RightBracket) --depth;
    else if (k == TokenKind::Comma && depth <= 0) return;
  }
}

bool Interpreter::staticStatement(const TokenLine& line, size_t pos, int mode) {
  if (line[pos].kind == TokenKind::Keyword) {
    if (isKeyword(line[pos], Keyword::Local)) mode = kCurrent;
    else if (isKeyword(line[pos], Keyword::Global)) mode = kGlobal;
    else {
      raiseFatal(MessageId::NoVariableDeclared, line[pos].column);
      return false;
    }
    ++pos;
  }
  std::vector<uint32_t> sizes;
  for (;;) {
    const Token& var = line[pos];
    if (!is(var, TokenKind::Variable)) {
      raiseFatal(MessageId::NoVariableDeclared, var.column);
      return false;
    }
    const int32_t name = var.value.index;
    bool isNew = false;
    Variant* cell = nullptr;
    if (Binding* b = findInMode(mode, name)) {
      if (!(b->flags & kStatic)) {
        raiseFatal(MessageId::CannotMakeStatic, var.column);
        return false;
      }
      cell = b->value;  // the same declaration run again: keep the cell
    } else {
      String key = String::fromAscii(std::to_string(currentFunctionLine()).c_str());
      key.append(u'.');
      key.append(names_.name(name));
      const int32_t keyId = names_.intern(key);
      Binding* storage = statics_.find(keyId);
      if (!storage) {
        storage = statics_.create(keyId, kStatic, Variant::fromString(String()));
        isNew = true;
      }
      cell = storage->value;
      Scope& scope = (mode == kGlobal || frames_.empty()) ? globals_ : *frames_.back();
      scope.createAlias(name, kStatic, cell);
    }
    ++pos;
    if (!readDimensions(line, pos, sizes)) return false;
    if (!sizes.empty()) {
      bool same = cell->isArray() && cell->dimensionCount() == static_cast<int>(sizes.size());
      bool sameSizes = same;
      for (size_t i = 0; same && i < sizes.size(); ++i)
        if (cell->dimensionSize(static_cast<int>(i)) != sizes[i]) sameSizes = false;
      if (!sameSizes) {
        Variant old;
        if (same) old = *cell;
        if (!dimensionArray(*cell, sizes, var.column)) return false;
        if (same) Variant::copyKeptContents(*cell, old);
      }
    }
    if (is(line[pos], TokenKind::Equal)) {
      if (isNew) {
        if (!initializer(line, pos, name, false, true)) return false;
      } else {
        skipInitializer(line, pos);
      }
    }
    if (const int end = endOfDeclaration(line, pos)) return end > 0;
  }
}

}  // namespace vx

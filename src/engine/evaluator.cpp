// The expression evaluator: operator precedence by a fixed action table
// (shunting-yard) with short-circuit And/Or. Operands are read straight from
// the tokens; the value and operator stacks are shared by nested
// evaluations (calls inside arguments) and keep their capacity, so a
// steady-state evaluation allocates nothing.
#include "engine/operators.h"
#include "engine/interpreter.h"
#include "lexer/keywords.h"

namespace vx {

namespace {

enum Code : uint8_t {
  kLess, kGreater, kLessEqual, kGreaterEqual, kNotEqual, kEqual, kEqualCase,
  kAnd, kOr, kConcat, kNot, kAdd, kSubtract, kMultiply, kDivide, kPower,
  kNegate, kUnaryPlus, kOpen, kClose, kEnd,
};

// Action by (operator on top of the stack, incoming operator):
// 0 push, 1 apply and look again, 2 close a parenthesis, 3 accept,
// 4 error 107, 5 error 108, 6 error 109.
constexpr uint8_t kActions[21][21] = {
    //<  >  <= >= <> =  == And Or &  Not +  -  *  /  ^  neg pos (  )  end
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},  // <
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},  // >
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},  // <=
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},  // >=
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},  // <>
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},  // =
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},  // ==
    {0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},  // And
    {0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},  // Or
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},  // &
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0, 2, 1},  // Not
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0, 2, 1},  // +
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0, 2, 1},  // -
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0, 2, 1},  // *
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0, 2, 1},  // /
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0, 2, 1},  // ^
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0, 2, 1},  // neg
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0, 2, 1},  // pos
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 4},  // (
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 5, 2, 1},  // )
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 3},  // bottom
};

bool isUnary(uint8_t code) { return code == kNot || code == kNegate || code == kUnaryPlus; }

// Keywords that may stand inside an expression; every other one ends it.
bool keywordContinuesExpression(int keyword) {
  return keyword == static_cast<int>(Keyword::And) || keyword == static_cast<int>(Keyword::Or) ||
         keyword == static_cast<int>(Keyword::Not) || keyword == static_cast<int>(Keyword::True) ||
         keyword == static_cast<int>(Keyword::False) || keyword == static_cast<int>(Keyword::Default);
}

}  // namespace

bool Interpreter::applyOperator(uint8_t code, size_t valueBase) {
  if (isUnary(code)) {
    if (values_.size() <= valueBase) return false;
    Variant& v = values_.back();
    if (code == kNot) notInPlace(v);
    else if (code == kNegate) negateInPlace(v);
    return true;
  }
  if (values_.size() < valueBase + 2) return false;
  Variant& left = values_[values_.size() - 2];
  const Variant& right = values_.back();
  switch (code) {
    case kAdd:
      if (left.isInt32() && right.isInt32()) {
        int32_t sum;
        if (!__builtin_add_overflow(left.int32Value(), right.int32Value(), &sum)) {
          left.setInt32(sum);
          break;
        }
      }
      addInPlace(left, right);
      break;
    case kSubtract: subtractInPlace(left, right); break;
    case kMultiply: multiplyInPlace(left, right); break;
    case kDivide: divideInPlace(left, right); break;
    case kPower: powerInPlace(left, right); break;
    case kConcat: concatenateInPlace(left, right); break;
    case kAnd: left.setBool(left.truth() && right.truth()); break;
    case kOr: left.setBool(left.truth() || right.truth()); break;
    case kLess:
      if (left.isInt32() && right.isInt32()) {
        left.setBool(left.int32Value() < right.int32Value());
        break;
      }
      left.setBool(compare(CompareOp::Less, left, right));
      break;
    case kGreater: left.setBool(compare(CompareOp::Greater, left, right)); break;
    case kLessEqual:
      if (left.isInt32() && right.isInt32()) {
        left.setBool(left.int32Value() <= right.int32Value());
        break;
      }
      left.setBool(compare(CompareOp::LessEqual, left, right));
      break;
    case kGreaterEqual: left.setBool(compare(CompareOp::GreaterEqual, left, right)); break;
    case kNotEqual: left.setBool(compare(CompareOp::NotEqual, left, right)); break;
    case kEqual: left.setBool(compare(CompareOp::Equal, left, right)); break;
    case kEqualCase: left.setBool(compare(CompareOp::EqualCaseSensitive, left, right)); break;
    default: break;
  }
  values_.pop_back();
  return true;
}

// Skips the right operand of a decided And/Or: up to a depth-0 comma or
// ending keyword, or a parenthesis closing one opened before it.
bool Interpreter::skipOperand(const TokenLine& line, size_t& pos, size_t stop) {
  int depth = 0;
  for (; pos < stop; ++pos) {
    const Token& t = line[pos];
    if (t.kind == TokenKind::EndOfLine) return depth == 0;
    if (t.kind == TokenKind::LeftParen) {
      ++depth;
    } else if (t.kind == TokenKind::RightParen) {
      if (depth == 0) return true;
      --depth;
    } else if (depth == 0) {
      if (t.kind == TokenKind::Comma) return true;
      if (t.kind == TokenKind::Keyword && t.value.index != static_cast<int>(Keyword::Not) &&
          t.value.index != static_cast<int>(Keyword::True) && t.value.index != static_cast<int>(Keyword::False) &&
          t.value.index != static_cast<int>(Keyword::Default))
        return true;
    }
  }
  return depth == 0;
}

bool Interpreter::evaluate(const TokenLine& line, size_t& pos, Variant& result, size_t stop) {
  const size_t valueBase = values_.size();
  const size_t opBase = ops_.size();
  const int firstColumn = line[pos].column;
  ops_.push_back(kEnd);
  bool afterOperand = false;
  bool ok = true;

  auto fail = [&](MessageId id, int column) {
    raiseFatal(id, column);
    ok = false;
  };

  while (ok) {
    const Token& t = line[pos];
    uint8_t code = kEnd;
    if (pos < stop) {
      switch (t.kind) {
        case TokenKind::Int32: values_.push_back(Variant::fromInt32(t.value.i32)); break;
        case TokenKind::Int64: values_.push_back(Variant::fromInt64(t.value.i64)); break;
        case TokenKind::Double: values_.push_back(Variant::fromDouble(t.value.d)); break;
        case TokenKind::StringLiteral:
          if (!expandStrings) {
            values_.push_back(Variant::fromString(t.text));
          } else {
            // Expanded aside: a macro read may use the value stack.
            Variant literal = Variant::fromString(t.text);
            expandString(literal);
            values_.push_back(std::move(literal));
          }
          break;
        case TokenKind::Variable: {
          Variant value;
          if (!readVariable(line, pos, value)) {  // moves pos past the operand
            ok = false;
            continue;
          }
          values_.push_back(std::move(value));
          afterOperand = true;
          continue;
        }
        case TokenKind::Macro: {
          Variant value;
          if (!readMacro(t, value)) {
            ok = false;
            continue;
          }
          values_.push_back(std::move(value));
          break;
        }
        case TokenKind::Builtin: {
          Variant value;
          if (!callBuiltin(line, pos, t.value.index, value)) {
            ok = false;
            continue;
          }
          values_.push_back(std::move(value));
          afterOperand = true;
          continue;
        }
        case TokenKind::UserFunction: {
          Variant value;
          if (!callUser(line, pos, value)) {
            ok = false;
            continue;
          }
          values_.push_back(std::move(value));
          afterOperand = true;
          continue;
        }
        case TokenKind::Member:
          if (afterOperand) fail(MessageId::NeedsObject, t.column);
          else fail(MessageId::ObjectOutsideWith, t.column);
          continue;
        case TokenKind::Keyword:
          switch (static_cast<Keyword>(t.value.index)) {
            case Keyword::True: values_.push_back(Variant::fromBool(true)); break;
            case Keyword::False: values_.push_back(Variant::fromBool(false)); break;
            case Keyword::Default: values_.push_back(Variant::makeDefault()); break;
            case Keyword::And: code = kAnd; break;
            case Keyword::Or: code = kOr; break;
            case Keyword::Not: code = kNot; break;
            default: code = kEnd; break;
          }
          if (code == kEnd && keywordContinuesExpression(t.value.index)) {
            ++pos;
            afterOperand = true;
            continue;
          }
          break;
        case TokenKind::Less: code = kLess; break;
        case TokenKind::Greater: code = kGreater; break;
        case TokenKind::LessEqual: code = kLessEqual; break;
        case TokenKind::GreaterEqual: code = kGreaterEqual; break;
        case TokenKind::NotEqual: code = kNotEqual; break;
        case TokenKind::Equal: code = kEqual; break;
        case TokenKind::EqualEqual: code = kEqualCase; break;
        case TokenKind::Ampersand: code = kConcat; break;
        case TokenKind::Plus: code = afterOperand ? kAdd : kUnaryPlus; break;
        case TokenKind::Minus: code = afterOperand ? kSubtract : kNegate; break;
        case TokenKind::Star: code = kMultiply; break;
        case TokenKind::Slash: code = kDivide; break;
        case TokenKind::Caret: code = kPower; break;
        case TokenKind::LeftParen: code = kOpen; break;
        case TokenKind::RightParen: code = kClose; break;
        default: code = kEnd; break;
      }
      if (t.kind == TokenKind::Int32 || t.kind == TokenKind::Int64 || t.kind == TokenKind::Double ||
          t.kind == TokenKind::StringLiteral || t.kind == TokenKind::Macro) {
        ++pos;
        afterOperand = true;
        continue;
      }
    }

    for (;;) {
      const uint8_t action = kActions[ops_.back()][code];
      if (action == 0) {
        ops_.push_back(code);
        ++pos;
        afterOperand = code == kClose;
        if ((code == kAnd || code == kOr) && values_.size() > valueBase) {
          const bool decided = values_.back().truth() == (code == kOr);
          if (decided) {
            if (!skipOperand(line, pos, stop)) {
              fail(MessageId::ErrorInExpression, firstColumn);
              break;
            }
            ops_.pop_back();
            values_.back().setBool(code == kOr);
            afterOperand = true;
          }
        }
        break;
      }
      if (action == 1) {
        const uint8_t top = ops_.back();
        ops_.pop_back();
        if (!applyOperator(top, valueBase)) {
          fail(MessageId::ErrorInExpression, firstColumn);
          break;
        }
        continue;
      }
      if (action == 2) {
        while (ops_.back() != kOpen && ops_.back() != kEnd) {
          const uint8_t top = ops_.back();
          ops_.pop_back();
          if (!applyOperator(top, valueBase)) {
            fail(MessageId::ErrorInExpression, firstColumn);
            break;
          }
        }
        if (!ok) break;
        if (ops_.back() == kEnd) {
          fail(MessageId::UnbalancedBrackets, firstColumn);
          break;
        }
        ops_.pop_back();
        ++pos;
        afterOperand = true;
        break;
      }
      if (action == 3) {
        if (values_.size() != valueBase + 1) {
          fail(MessageId::ErrorInExpression, firstColumn);
          break;
        }
        result = std::move(values_.back());
        values_.pop_back();
        ops_.resize(opBase);
        return true;
      }
      fail(action == 4 ? MessageId::MissingRightBracket
                       : action == 5 ? MessageId::MissingOperator : MessageId::UnbalancedBrackets,
           firstColumn);
      break;
    }
  }
  values_.resize(valueBase);
  ops_.resize(opBase);
  return false;
}

bool Interpreter::condition(const TokenLine& line, size_t& pos, bool& truth) {
  Variant value;
  if (!evaluate(line, pos, value)) return false;
  truth = value.truth();
  return true;
}

}  // namespace vx

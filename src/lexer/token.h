// Tokens: the lexical units of one script line. The engine walks these and
// never looks at source text again.
#pragma once

#include <cstdint>
#include <vector>

#include "values/string.h"

namespace vx {

enum class TokenKind : int16_t {
  Keyword = 0,
  Builtin = 1,
  Int32 = 5,
  Int64 = 16,
  Double = 32,
  KeywordName = 48,  // compiled scripts only
  BuiltinName = 49,  // compiled scripts only
  Macro = 50,
  Variable = 51,
  UserFunction = 52,
  Member = 53,
  StringLiteral = 54,
  Directive = 55,  // compiled scripts only
  Comma = 64,
  Equal = 65,
  Greater = 66,
  Less = 67,
  NotEqual = 68,
  GreaterEqual = 69,
  LessEqual = 70,
  LeftParen = 71,
  RightParen = 72,
  Plus = 73,
  Minus = 74,
  Slash = 75,
  Star = 76,
  Ampersand = 77,
  LeftBracket = 78,
  RightBracket = 79,
  EqualEqual = 80,
  Caret = 81,
  PlusAssign = 82,
  MinusAssign = 83,
  SlashAssign = 84,
  StarAssign = 85,
  AmpersandAssign = 86,
  EndOfLine = 127,
};

inline bool kindOwnsText(TokenKind kind) {
  return static_cast<int16_t>(kind) >= 48 && static_cast<int16_t>(kind) <= 63;
}

struct Token {
  union {
    int32_t index;  // keyword or built-in table index
    int32_t i32;
    int64_t i64;
    double d;
  } value;
  TokenKind kind;
  int16_t column;  // where the token starts; the line length for the end of line
  String text;     // names (upper-cased but for members) and string literals

  Token() : value{0}, kind(TokenKind::EndOfLine), column(0) { value.i64 = 0; }
};

// Always ends with one EndOfLine token once lexed.
using TokenLine = std::vector<Token>;

}  // namespace vx

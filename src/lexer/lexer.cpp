#include "lexer/lexer.h"

#include "engine/builtin_table.h"
#include "lexer/keywords.h"
#include "values/number_text.h"

namespace vx {

namespace {

constexpr int kUnableToParse = 5000;
constexpr int kMissingQuote = 5002;
constexpr int kBadVariable = 5003;
constexpr int kMissingSeparator = 5004;

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool isNameChar(char16_t c) { return isLetter(c) || isDigit(c) || c == u'_'; }
bool isHexDigit(char16_t c) { return isDigit(c) || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'); }
bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

class Lexer {
 public:
  Lexer(const String& text, TokenLine& out) : s_(text.data()), n_(text.length()), out_(out) {}

  bool run(bool isLastLine, LexError& error);

 private:
  char16_t at(size_t i) const { return i < n_ ? s_[i] : 0; }
  bool atEnd(size_t i) const { return i >= n_; }

  Token& push(TokenKind kind, size_t column) {
    out_.emplace_back();
    Token& t = out_.back();
    t.kind = kind;
    t.column = static_cast<int16_t>(column > 32767 ? 32767 : column);
    return t;
  }

  bool fail(int id, size_t column) {
    error_->messageId = id;
    error_->column = static_cast<int>(column);
    return false;
  }

  // Number at pos_; false when the text there is no number (nothing consumed).
  bool number();
  bool word();
  bool name(TokenKind kind);
  bool member();
  bool stringLiteral();
  bool op();

  String upperName(size_t start, size_t end) const {
    String name(s_ + start, end - start);
    char16_t* p = name.mutableData();
    for (size_t i = 0; i < name.length(); ++i)
      if (p[i] >= u'a' && p[i] <= u'z') p[i] = static_cast<char16_t>(p[i] - 32);
    return name;
  }

  const char16_t* s_;
  size_t n_;
  TokenLine& out_;
  size_t pos_ = 0;
  LexError* error_ = nullptr;
};

bool Lexer::number() {
  size_t start = pos_;
  if (at(start) == u'0' && (at(start + 1) == u'x' || at(start + 1) == u'X')) {
    size_t i = start + 2;
    while (isHexDigit(at(i))) ++i;
    uint64_t value = 0;
    if (!parseHexDigits(s_ + start + 2, i - start - 2, 8, &value)) return false;
    if (isNameChar(at(i))) return false;  // 0x1G is no number
    push(TokenKind::Int32, start).value.i32 = static_cast<int32_t>(static_cast<uint32_t>(value));
    pos_ = i;
    return true;
  }
  size_t i = start;
  bool sawDigit = false, sawPoint = false, sawExponent = false;
  for (;;) {
    char16_t c = at(i);
    if (isDigit(c)) {
      sawDigit = true;
    } else if (c == u'.' && !sawPoint && !sawExponent) {
      sawPoint = true;
    } else if ((c == u'e' || c == u'E') && !sawExponent && (sawDigit || sawPoint)) {
      sawExponent = true;
      ++i;
      if (at(i) == u'+' || at(i) == u'-') ++i;
      if (!isDigit(at(i))) return false;  // 1e and 1e+ are no numbers
      continue;
    } else {
      break;
    }
    ++i;
  }
  if (isLetter(at(i)) || at(i) == u'_') return false;  // 12abc is no number
  if (sawPoint || sawExponent) {
    push(TokenKind::Double, start).value.d = parseDouble(s_ + start, i - start);
  } else {
    int64_t value = parseInt64(s_ + start, i - start);
    if (value >= INT32_MIN && value <= INT32_MAX) push(TokenKind::Int32, start).value.i32 = static_cast<int32_t>(value);
    else push(TokenKind::Int64, start).value.i64 = value;
  }
  pos_ = i;
  return true;
}

bool Lexer::word() {
  size_t start = pos_, end = pos_;
  while (isNameChar(at(end))) ++end;
  String upper = upperName(start, end);
  char16_t next = at(end);
  if (int keyword = findKeyword(upper.data(), upper.length())) {
    if (!(atEnd(end) || isBlank(next) || next == u'(' || next == u')' || next == u',' || next == u'=' ||
          next == u']'))
      return fail(kMissingSeparator, end);
    push(TokenKind::Keyword, start).value.index = keyword;
  } else {
    if (atEnd(end) || !(isBlank(next) || next == u'(')) return fail(kMissingSeparator, end);
    int builtin = findBuiltin(upper.data(), upper.length());
    if (builtin >= 0) {
      push(TokenKind::Builtin, start).value.index = builtin;
    } else {
      push(TokenKind::UserFunction, start).text = std::move(upper);
    }
  }
  pos_ = end;
  return true;
}

bool Lexer::name(TokenKind kind) {
  size_t start = pos_, end = pos_ + 1;
  while (isNameChar(at(end))) ++end;
  if (end == start + 1) return fail(kBadVariable, end);
  push(kind, start).text = upperName(start + 1, end);
  pos_ = end;
  return true;
}

bool Lexer::member() {
  size_t start = pos_, end = pos_ + 1;
  while (isNameChar(at(end))) ++end;
  if (end == start + 1) return fail(kBadVariable, end);
  push(TokenKind::Member, start).text = String(s_ + start + 1, end - start - 1);
  pos_ = end;
  return true;
}

bool Lexer::stringLiteral() {
  const char16_t quote = s_[pos_];
  size_t start = pos_, i = pos_ + 1;
  String text;
  for (;;) {
    if (atEnd(i)) return fail(kMissingQuote, start);
    if (s_[i] == quote) {
      if (at(i + 1) != quote) break;
      text.append(quote);
      i += 2;
      continue;
    }
    size_t run = i;
    while (i < n_ && s_[i] != quote) ++i;
    text.append(s_ + run, i - run);
  }
  push(TokenKind::StringLiteral, start).text = std::move(text);
  pos_ = i + 1;
  return true;
}

bool Lexer::op() {
  char16_t c = s_[pos_], next = at(pos_ + 1);
  TokenKind kind;
  int length = 1;
  auto withAssign = [&](TokenKind plain, TokenKind assign) {
    if (next == u'=') {
      length = 2;
      return assign;
    }
    return plain;
  };
  switch (c) {
    case u'&': kind = withAssign(TokenKind::Ampersand, TokenKind::AmpersandAssign); break;
    case u'*': kind = withAssign(TokenKind::Star, TokenKind::StarAssign); break;
    case u'+': kind = withAssign(TokenKind::Plus, TokenKind::PlusAssign); break;
    case u'-': kind = withAssign(TokenKind::Minus, TokenKind::MinusAssign); break;
    case u'/': kind = withAssign(TokenKind::Slash, TokenKind::SlashAssign); break;
    case u'=': kind = withAssign(TokenKind::Equal, TokenKind::EqualEqual); break;
    case u'>': kind = withAssign(TokenKind::Greater, TokenKind::GreaterEqual); break;
    case u'<':
      kind = TokenKind::Less;
      if (next == u'=') kind = TokenKind::LessEqual, length = 2;
      else if (next == u'>') kind = TokenKind::NotEqual, length = 2;
      break;
    case u'(': kind = TokenKind::LeftParen; break;
    case u')': kind = TokenKind::RightParen; break;
    case u',': kind = TokenKind::Comma; break;
    case u'[': kind = TokenKind::LeftBracket; break;
    case u']': kind = TokenKind::RightBracket; break;
    case u'^': kind = TokenKind::Caret; break;
    default: return false;
  }
  push(kind, pos_);
  pos_ += static_cast<size_t>(length);
  return true;
}

bool Lexer::run(bool isLastLine, LexError& error) {
  error_ = &error;
  if (n_ == 1 && s_[0] == 26 && isLastLine) {
    push(TokenKind::EndOfLine, n_);
    return true;
  }
  while (pos_ < n_) {
    char16_t c = s_[pos_];
    if (isBlank(c)) {
      ++pos_;
      continue;
    }
    bool ok;
    if (isDigit(c) || c == u'.') {
      ok = number();
      if (!ok) {
        if (c != u'.') return fail(kUnableToParse, pos_);
        ok = member();
      }
    } else if (isLetter(c) || c == u'_') {
      ok = word();
    } else if (c == u'$') {
      ok = name(TokenKind::Variable);
    } else if (c == u'@') {
      ok = name(TokenKind::Macro);
    } else if (c == u'"' || c == u'\'') {
      ok = stringLiteral();
    } else {
      ok = op();
      if (!ok) return fail(kUnableToParse, pos_);
    }
    if (!ok) return false;
  }
  push(TokenKind::EndOfLine, n_);
  return true;
}

}  // namespace

bool lexLine(const String& text, bool isLastLine, TokenLine& out, LexError& error) {
  out.clear();
  if (out.capacity() < 4) out.reserve(4);
  Lexer lexer(text, out);
  return lexer.run(isLastLine, error);
}

}  // namespace vx

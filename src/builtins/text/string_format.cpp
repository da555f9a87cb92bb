// STRINGFORMAT: the token scan and the built-in. The scan is a forward search
// with no backtracking: at each position a token is either recognised whole
// or the position is plain text, and tokens are ASCII, so positions are UTF-16
// units throughout.
#include "builtins/text/string_format.h"

#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool isConversionLetter(char16_t c) {
  switch (c) {
    case u'd': case u'i': case u'o': case u'u': case u'x': case u'X':
    case u'e': case u'E': case u'f': case u'g': case u'G': case u's':
      return true;
    default:
      return false;
  }
}

// Digits from *at; saturates past the field limit, where the output is cut
// anyway.
int readCount(const char16_t* text, size_t length, size_t* at) {
  int count = 0;
  while (*at < length && isDigit(text[*at])) {
    if (count <= static_cast<int>(kFormatFieldLimit)) count = count * 10 + (text[*at] - u'0');
    ++*at;
  }
  return count > static_cast<int>(kFormatFieldLimit) ? static_cast<int>(kFormatFieldLimit) + 1 : count;
}

// A conversion starting at the '%' at `start`; returns its length, or 0.
size_t matchConversion(const char16_t* text, size_t length, size_t start, FormatSpec* request) {
  size_t at = start + 1;
  if (at < length) {
    switch (text[at]) {
      case u'-': case u'+': case u' ': case u'0': case u'#':
        request->flag = static_cast<char>(text[at++]);
        break;
      default:
        break;
    }
  }
  if (at < length && text[at] == u'*') {
    ++at;  // the value belongs to the conversion, so the width stays unset
  } else if (at < length && isDigit(text[at])) {
    request->width = readCount(text, length, &at);
  }
  if (at < length && text[at] == u'.') {
    ++at;
    if (at < length && text[at] == u'*') ++at;
    else request->precision = readCount(text, length, &at);
  }
  if (at < length && (text[at] == u'h' || text[at] == u'l' || text[at] == u'L')) request->size = static_cast<char>(text[at++]);
  if (at >= length || !isConversionLetter(text[at])) return 0;
  request->conversion = static_cast<char>(text[at++]);
  return at - start;
}

void appendConversion(const FormatSpec& request, const Variant& value, String& out) {
  switch (request.conversion) {
    case 'e': case 'E': case 'f': case 'g': case 'G':
      formatFloating(request, value.toDouble(), out);
      break;
    case 's': {
      const String& text = value.stringForm();
      formatText(request, text.data(), text.length(), out);
      break;
    }
    default:
      formatInteger(request, value.toInt32(), out);
      break;
  }
}

int stringFormatBuiltin(Interpreter&, Variant* args, int count, Variant& result) {
  result.setString(stringFormat(args[0].stringForm(), args + 1, count - 1));
  return 0;
}

}  // namespace

bool findFormatToken(const char16_t* text, size_t length, size_t from, FormatToken* token) {
  for (size_t at = from; at + 1 < length; ++at) {
    const char16_t next = text[at + 1];
    if (text[at] == u'\\') {
      char16_t escaped = 0;
      if (next == u'\\') escaped = u'\\';
      else if (next == u'n') escaped = u'\n';
      else if (next == u'r') escaped = u'\r';
      else if (next == u't') escaped = u'\t';
      if (!escaped) continue;
      *token = FormatToken{};
      token->start = at;
      token->length = 2;
      token->kind = FormatTokenKind::Escape;
      token->escaped = escaped;
      return true;
    }
    if (text[at] != u'%') continue;
    *token = FormatToken{};
    token->start = at;
    if (next == u'%') {
      token->length = 2;
      token->kind = FormatTokenKind::Percent;
      return true;
    }
    const size_t n = matchConversion(text, length, at, &token->request);
    if (n) {
      token->length = n;
      token->kind = FormatTokenKind::Conversion;
      return true;
    }
  }
  return false;
}

String stringFormat(const String& format, const Variant* values, int count) {
  const char16_t* text = format.data();
  const size_t length = format.length();
  String out;
  out.reserve(length);
  int nextValue = 0;
  size_t at = 0;
  FormatToken token;
  while (findFormatToken(text, length, at, &token)) {
    out.append(text + at, token.start - at);
    switch (token.kind) {
      case FormatTokenKind::Escape:
        out.append(token.escaped);
        break;
      case FormatTokenKind::Percent:
        out.append(u'%');
        break;
      case FormatTokenKind::Conversion:
        if (nextValue < count) appendConversion(token.request, values[nextValue++], out);
        break;
    }
    at = token.start + token.length;
  }
  out.append(text + at, length - at);
  return out;
}

void registerStringFormatBuiltins(Interpreter& vm) { vm.registerBuiltin(BuiltinId::STRINGFORMAT, stringFormatBuiltin); }

}  // namespace vx

// Classification of whole strings: StringIsAlpha and its kin, and the
// integer and decimal recognisers. An empty string never qualifies.
#include "builtins/text/string_builtins.h"
#include "engine/interpreter.h"
#include "platform/text_locale.h"

namespace vx {

namespace {

bool isAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// ASCII units are decided here; the system's tables agree on them.
bool isInClass(char16_t c, platform::CharClass kind) {
  if (c >= 128) return platform::unitInClass(c, kind);
  switch (kind) {
    case platform::CharClass::Alpha: return isAsciiLetter(c);
    case platform::CharClass::AlphaNumeric: return isAsciiLetter(c) || isAsciiDigit(c);
    case platform::CharClass::Upper: return c >= u'A' && c <= u'Z';
    case platform::CharClass::Lower: return c >= u'a' && c <= u'z';
    case platform::CharClass::Digit: return isAsciiDigit(c);
    case platform::CharClass::HexDigit:
      return isAsciiDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
  }
  return false;
}

template <platform::CharClass Kind>
int everyUnitIn(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  bool all = !s.empty();
  for (size_t i = 0; i < s.length() && all; ++i) all = isInClass(s[i], Kind);
  r.setInt32(all);
  return 0;
}

template <bool (*Test)(char16_t)>
int everyUnitPasses(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  bool all = !s.empty();
  for (size_t i = 0; i < s.length() && all; ++i) all = Test(s[i]);
  r.setInt32(all);
  return 0;
}

bool isAsciiUnit(char16_t c) { return c < 128; }

bool looksLikeInteger(const String& s) {
  size_t i = 0;
  if (s.length() > 0 && (s[0] == u'+' || s[0] == u'-')) i = 1;
  if (i == s.length()) return false;  // empty, or a sign alone
  for (; i < s.length(); ++i) {
    if (!isAsciiDigit(s[i])) return false;
  }
  return true;
}

bool looksLikeDecimal(const String& s) {
  size_t i = 0;
  if (s.length() > 0 && (s[0] == u'+' || s[0] == u'-')) i = 1;
  while (i < s.length() && isAsciiDigit(s[i])) ++i;
  if (i == s.length() || s[i] != u'.') return false;
  const bool digitsBefore = i > 0 && isAsciiDigit(s[i - 1]);
  const size_t afterPoint = ++i;
  while (i < s.length() && isAsciiDigit(s[i])) ++i;
  return i == s.length() && (digitsBefore || i > afterPoint);
}

int stringIsInt(Interpreter&, Variant* a, int, Variant& r) {
  r.setInt32(looksLikeInteger(a[0].stringForm()));
  return 0;
}

int stringIsFloat(Interpreter&, Variant* a, int, Variant& r) {
  r.setInt32(looksLikeDecimal(a[0].stringForm()));
  return 0;
}

}  // namespace

void registerStringClassBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::STRINGISALPHA, everyUnitIn<platform::CharClass::Alpha>);
  vm.registerBuiltin(BuiltinId::STRINGISALNUM, everyUnitIn<platform::CharClass::AlphaNumeric>);
  vm.registerBuiltin(BuiltinId::STRINGISUPPER, everyUnitIn<platform::CharClass::Upper>);
  vm.registerBuiltin(BuiltinId::STRINGISLOWER, everyUnitIn<platform::CharClass::Lower>);
  vm.registerBuiltin(BuiltinId::STRINGISDIGIT, everyUnitIn<platform::CharClass::Digit>);
  vm.registerBuiltin(BuiltinId::STRINGISXDIGIT, everyUnitIn<platform::CharClass::HexDigit>);
  vm.registerBuiltin(BuiltinId::STRINGISASCII, everyUnitPasses<isAsciiUnit>);
  vm.registerBuiltin(BuiltinId::STRINGISSPACE, everyUnitPasses<isAsciiSpace>);
  vm.registerBuiltin(BuiltinId::STRINGISINT, stringIsInt);
  vm.registerBuiltin(BuiltinId::STRINGISFLOAT, stringIsFloat);
}

}  // namespace vx

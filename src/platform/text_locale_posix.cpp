#include <cwctype>

#include "platform/text_locale.h"

namespace vx::platform {

namespace {

wint_t fold(char16_t unit) { return towlower(static_cast<wint_t>(unit)); }

}  // namespace

// Ordinal after lower-casing: close enough to the system's ordering for the
// native tests, which stay with plain letters.
int compareRunsIgnoringCase(const char16_t* a, size_t aLength, const char16_t* b, size_t bLength, bool) {
  const size_t n = aLength < bLength ? aLength : bLength;
  for (size_t i = 0; i < n; ++i) {
    const wint_t x = fold(a[i]), y = fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
}

void upperCaseInPlace(char16_t* units, size_t count) {
  for (size_t i = 0; i < count; ++i) units[i] = static_cast<char16_t>(towupper(static_cast<wint_t>(units[i])));
}

void lowerCaseInPlace(char16_t* units, size_t count) {
  for (size_t i = 0; i < count; ++i) units[i] = static_cast<char16_t>(fold(units[i]));
}

char16_t lowerUnit(char16_t unit) { return static_cast<char16_t>(fold(unit)); }

bool unitInClass(char16_t unit, CharClass kind) {
  const wint_t c = static_cast<wint_t>(unit);
  switch (kind) {
    case CharClass::Alpha: return iswalpha(c) != 0;
    case CharClass::AlphaNumeric: return iswalnum(c) != 0;
    case CharClass::Upper: return iswupper(c) != 0;
    case CharClass::Lower: return iswlower(c) != 0;
    case CharClass::Digit: return iswdigit(c) != 0;
    case CharClass::HexDigit: return iswxdigit(c) != 0;
  }
  return false;
}

std::string utf16ToUtf8(const char16_t* units, size_t count) { return String(units, count).toUtf8(); }

String utf8ToUtf16(const char* bytes, size_t count) { return String::fromUtf8(bytes, count); }

}  // namespace vx::platform

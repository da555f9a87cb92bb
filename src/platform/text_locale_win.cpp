#include <windows.h>

#include <cwctype>

#include "platform/text_locale.h"

namespace vx::platform {

namespace {

const wchar_t* wide(const char16_t* units) { return reinterpret_cast<const wchar_t*>(units); }
wchar_t* wide(char16_t* units) { return reinterpret_cast<wchar_t*>(units); }

}  // namespace

int compareRunsIgnoringCase(const char16_t* a, size_t aLength, const char16_t* b, size_t bLength,
                            bool usEnglish) {
  const LCID locale = usEnglish ? MAKELCID(1033, SORT_DEFAULT) : LOCALE_USER_DEFAULT;
  const int r = CompareStringW(locale, NORM_IGNORECASE, wide(a), static_cast<int>(aLength), wide(b),
                               static_cast<int>(bLength));
  return r == 0 ? 0 : r - CSTR_EQUAL;
}

void upperCaseInPlace(char16_t* units, size_t count) {
  if (count > 0) CharUpperBuffW(wide(units), static_cast<DWORD>(count));
}

void lowerCaseInPlace(char16_t* units, size_t count) {
  if (count > 0) CharLowerBuffW(wide(units), static_cast<DWORD>(count));
}

char16_t lowerUnit(char16_t unit) { return static_cast<char16_t>(towlower(static_cast<wint_t>(unit))); }

bool unitInClass(char16_t unit, CharClass kind) {
  const wchar_t c = static_cast<wchar_t>(unit);
  switch (kind) {
    case CharClass::Alpha: return IsCharAlphaW(c) != 0;
    case CharClass::AlphaNumeric: return IsCharAlphaNumericW(c) != 0;
    case CharClass::Upper: return IsCharUpperW(c) != 0;
    case CharClass::Lower: return IsCharLowerW(c) != 0;
    case CharClass::Digit: return iswdigit(static_cast<wint_t>(c)) != 0;
    case CharClass::HexDigit: return iswxdigit(static_cast<wint_t>(c)) != 0;
  }
  return false;
}

std::string utf16ToUtf8(const char16_t* units, size_t count) {
  if (count == 0) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide(units), static_cast<int>(count), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide(units), static_cast<int>(count), bytes.data(), n, nullptr, nullptr);
  return bytes;
}

String utf8ToUtf16(const char* bytes, size_t count) {
  if (count == 0) return String();
  const int n = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(count), nullptr, 0);
  if (n <= 0) return String();
  String text;
  text.resize(static_cast<size_t>(n));
  MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(count), wide(text.mutableData()), n);
  return text;
}

}  // namespace vx::platform

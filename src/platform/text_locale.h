// Locale-aware text services of the string built-ins: comparison, case
// mapping, character classes and the UTF-8 conversions. On Windows these are
// the system's own rules; the POSIX build approximates them with the C
// library so the portable core can be tested natively.
#pragma once

#include <cstddef>
#include <string>

#include "values/string.h"

namespace vx::platform {

// Compares two runs of text ignoring case, in the user's locale or in US
// English: -1, 0 or 1. A comparison the system cannot make counts as equal.
int compareRunsIgnoringCase(const char16_t* a, size_t aLength, const char16_t* b, size_t bLength,
                            bool usEnglish);

// Maps every unit of the buffer in place.
void upperCaseInPlace(char16_t* units, size_t count);
void lowerCaseInPlace(char16_t* units, size_t count);

// The C runtime's simple lower-casing of one unit.
char16_t lowerUnit(char16_t unit);

enum class CharClass { Alpha, AlphaNumeric, Upper, Lower, Digit, HexDigit };
bool unitInClass(char16_t unit, CharClass kind);

std::string utf16ToUtf8(const char16_t* units, size_t count);
String utf8ToUtf16(const char* bytes, size_t count);

}  // namespace vx::platform

#include "lexer/keywords.h"

namespace vx {

namespace {

constexpr const char16_t* kKeywords[kKeywordCount + 1] = {
    u"",         u"AND",      u"OR",        u"NOT",   u"IF",     u"THEN",         u"ELSE",
    u"ELSEIF",   u"ENDIF",    u"WHILE",     u"WEND",  u"DO",     u"UNTIL",        u"FOR",
    u"NEXT",     u"TO",       u"STEP",      u"IN",    u"EXITLOOP", u"CONTINUELOOP", u"SELECT",
    u"CASE",     u"ENDSELECT", u"SWITCH",   u"ENDSWITCH", u"CONTINUECASE", u"DIM", u"REDIM",
    u"LOCAL",    u"GLOBAL",   u"CONST",     u"STATIC", u"FUNC",  u"ENDFUNC",      u"RETURN",
    u"EXIT",     u"BYREF",    u"WITH",      u"ENDWITH", u"TRUE", u"FALSE",        u"DEFAULT",
    u"ENUM",
};

bool equalsUnits(const char16_t* a, size_t length, const char16_t* zeroTerminated) {
  for (size_t i = 0; i < length; ++i)
    if (zeroTerminated[i] != a[i]) return false;
  return zeroTerminated[length] == 0;
}

}  // namespace

int findKeyword(const char16_t* upperName, size_t length) {
  // Few enough, and short enough, that a scan with a length check is as fast as hashing.
  for (int i = 1; i <= kKeywordCount; ++i)
    if (kKeywords[i][0] == upperName[0] && equalsUnits(upperName, length, kKeywords[i])) return i;
  return 0;
}

const char16_t* keywordName(int index) {
  return index >= 0 && index <= kKeywordCount ? kKeywords[index] : kKeywords[0];
}

}  // namespace vx

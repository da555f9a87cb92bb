// The keyword table: index to upper-case text. Index 0 never matches.
#pragma once

#include "values/string.h"

namespace vx {

enum class Keyword : int32_t {
  None = 0,
  And, Or, Not, If, Then, Else, ElseIf, EndIf, While, WEnd, Do, Until, For, Next,
  To, Step, In, ExitLoop, ContinueLoop, Select, Case, EndSelect, Switch, EndSwitch,
  ContinueCase, Dim, ReDim, Local, Global, Const, Static, Func, EndFunc, Return,
  Exit, ByRef, With, EndWith, True, False, Default, Enum,
};

constexpr int kKeywordCount = 42;

// The index of an upper-case word in the keyword table, or 0.
int findKeyword(const char16_t* upperName, size_t length);
const char16_t* keywordName(int index);

}  // namespace vx

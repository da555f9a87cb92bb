// The user-function table: every Func definition, found once before the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/scope.h"
#include "values/variant.h"

namespace vx {

struct UserFunction {
  int32_t name;  // interned, upper case
  int funcLine;
  int endLine;
  int minArgs;
  int maxArgs;
};

// One parameter as written on a Func line.
struct Parameter {
  int32_t name;
  bool byRef;
  bool constant;
  size_t defaultStart;  // token range of the default value; empty when none
  size_t defaultEnd;
};

// One argument of a call: a value, or the variable it refers to (ByRef).
struct CallArgument {
  Variant value;
  Variant* target = nullptr;
  bool isElement = false;  // target is an array element, found again by path
  ElementPath path;
};

}  // namespace vx

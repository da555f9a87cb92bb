// The fixed, sorted table of built-in functions: names, argument counts and
// the family that implements each. The lexer resolves a name to its index
// once per line; the dispatcher reaches the entry by that index.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vx {

enum class BuiltinFamily : uint8_t { Core, Text, Files, Foreign, Net, Process, Window, Input, Gui };

enum class BuiltinId : int32_t {
#define BUILTIN(name, minArgs, maxArgs, family) name,
#include "engine/builtin_list.def"
#undef BUILTIN
  Count
};

constexpr int kBuiltinCount = static_cast<int>(BuiltinId::Count);

struct BuiltinInfo {
  const char16_t* name;  // upper case
  uint8_t minArgs;
  uint8_t maxArgs;  // 255: any number
  BuiltinFamily family;
};

// The index of an upper-cased name, or -1. Names compare code unit by code unit.
int findBuiltin(const char16_t* upperName, size_t length);
const BuiltinInfo& builtinInfo(int index);

}  // namespace vx

#include "engine/builtin_table.h"

namespace vx {

namespace {

constexpr BuiltinInfo kBuiltins[kBuiltinCount] = {
#define BUILTIN(name, minArgs, maxArgs, family) {u## #name, minArgs, maxArgs, BuiltinFamily::family},
#include "engine/builtin_list.def"
#undef BUILTIN
};

// Ordinal comparison of a counted name with a zero-terminated table name.
int compareName(const char16_t* name, size_t length, const char16_t* entry) {
  for (size_t i = 0; i < length; ++i) {
    if (entry[i] == 0) return 1;
    if (name[i] != entry[i]) return name[i] < entry[i] ? -1 : 1;
  }
  return entry[length] == 0 ? 0 : -1;
}

}  // namespace

int findBuiltin(const char16_t* upperName, size_t length) {
  int low = 0, high = kBuiltinCount - 1;
  while (low <= high) {
    int mid = (low + high) / 2;
    int c = compareName(upperName, length, kBuiltins[mid].name);
    if (c == 0) return mid;
    if (c < 0) high = mid - 1;
    else low = mid + 1;
  }
  return -1;
}

const BuiltinInfo& builtinInfo(int index) { return kBuiltins[index]; }

}  // namespace vx

// Finding a compiled-script container inside a file (appended to the
// executable, or a ".vxc" file). Reading its entries comes with the compiled
// script reader; for now a run only needs to know whether one is there.
#pragma once

#include <cstdint>

#include "values/string.h"

namespace vx {

enum class ContainerStatus : int {
  Found = 0,
  CannotOpen = 1,
  NoSignature = 3,
  WrongVersion = 4,
};

struct ContainerProbe {
  ContainerStatus status;
  uint64_t entriesOffset;  // where the entry list starts, when found
};

ContainerProbe probeContainer(const String& path);

}  // namespace vx

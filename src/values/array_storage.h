// Allocation and sharing of array element storage; used by Variant only.
#pragma once

#include <cstdint>

#include "values/variant.h"

namespace vx {

// All slots Empty, refs 1. Null when memory runs out.
ArrayStorage* newArrayStorage(const uint32_t* sizes, int count, uint32_t elementCount);
// Lowers refs; the last owner destroys the elements and the storage.
void releaseArrayStorage(ArrayStorage* storage);
// A private copy (refs 1) of shared storage: every touched slot is copied,
// untouched slots stay Empty. Lowers the refs of the original.
ArrayStorage* unshareArrayStorage(ArrayStorage* storage);

}  // namespace vx

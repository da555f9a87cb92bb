// Arrays: element storage shared between copies until the first write, and
// the array members of Variant.
#include <cstdlib>
#include <cstring>
#include <new>

#include "values/array_storage.h"
#include "values/variant.h"

namespace vx {

ArrayStorage* newArrayStorage(const uint32_t* sizes, int count, uint32_t elementCount) {
  ArrayStorage* storage = static_cast<ArrayStorage*>(std::calloc(1, sizeof(ArrayStorage)));
  if (!storage) return nullptr;
  if (elementCount) {
    // Zeroed memory is a run of Empty slots; pages stay untouched until used.
    storage->slots = static_cast<Variant*>(std::calloc(elementCount, sizeof(Variant)));
    if (!storage->slots) {
      std::free(storage);
      return nullptr;
    }
  }
  storage->refs = 1;
  storage->elementCount = elementCount;
  storage->dimensionCount = count;
  if (count) std::memcpy(storage->sizes, sizes, static_cast<size_t>(count) * sizeof(uint32_t));
  return storage;
}

void releaseArrayStorage(ArrayStorage* storage) {
  if (--storage->refs) return;
  for (uint32_t i = 0; i < storage->elementCount; ++i) storage->slots[i].~Variant();
  std::free(storage->slots);
  std::free(storage);
}

ArrayStorage* unshareArrayStorage(ArrayStorage* shared) {
  ArrayStorage* copy = newArrayStorage(shared->sizes, shared->dimensionCount, shared->elementCount);
  if (!copy) throw std::bad_alloc();
  try {
    for (uint32_t i = 0; i < shared->elementCount; ++i) {
      const Variant& element = shared->slots[i];
      if (element.type() != VType::Empty) new (&copy->slots[i]) Variant(element);
    }
  } catch (...) {
    releaseArrayStorage(copy);  // copied slots are live, the rest are Empty
    throw;
  }
  --shared->refs;
  return copy;
}

ArrayStorage* Variant::writableArray() {
  if (payload_.array->refs > 1) payload_.array = unshareArrayStorage(payload_.array);
  return payload_.array;
}

bool Variant::dimension(const uint32_t* sizes, int count) {
  if (count < 1 || count > kMaxArrayDimensions) return false;
  // Each size fits in 32 bits and the running product stays at most 2^24, so
  // the 64-bit product cannot wrap.
  uint64_t product = 1;
  for (int d = 0; d < count; ++d) {
    product *= sizes[d];
    if (product > kMaxArrayElements) return false;
  }
  ArrayStorage* storage = newArrayStorage(sizes, count, static_cast<uint32_t>(product));
  if (!storage) return false;
  reset(VType::Array);
  payload_.array = storage;
  return true;
}

void Variant::makeEmptyArray() {
  ArrayStorage* storage = newArrayStorage(nullptr, 0, 0);
  if (!storage) throw std::bad_alloc();
  reset(VType::Array);
  payload_.array = storage;
}

uint32_t Variant::dimensionSize(int d) const {
  if (!isArray() || d < 0 || d >= payload_.array->dimensionCount) return 0;
  return payload_.array->sizes[d];
}

Variant* Variant::element(const uint32_t* subscripts, int count, bool forWriting) {
  if (!isArray()) return nullptr;
  const ArrayStorage* storage = payload_.array;
  if (count != storage->dimensionCount || storage->elementCount == 0) return nullptr;
  uint32_t index = 0;
  for (int d = 0; d < count; ++d) {
    if (subscripts[d] >= storage->sizes[d]) return nullptr;
    index = index * storage->sizes[d] + subscripts[d];
  }
  return elementAtLinear(index, forWriting);
}

Variant* Variant::elementAtLinear(uint32_t index, bool forWriting) {
  if (!isArray() || index >= payload_.array->elementCount) return nullptr;
  ArrayStorage* storage = forWriting ? writableArray() : payload_.array;
  Variant* slot = &storage->slots[index];
  // An untouched slot becomes "" in place; in shared storage that change is
  // invisible to every sharer, so reads may make it too.
  if (slot->type_ == VType::Empty) slot->type_ = VType::String;
  return slot;
}

void Variant::copyKeptContents(Variant& newArray, const Variant& oldArray) {
  if (!newArray.isArray() || !oldArray.isArray() || &newArray == &oldArray) return;
  const ArrayStorage* old = oldArray.payload_.array;
  int dims = old->dimensionCount;
  if (dims == 0 || dims != newArray.payload_.array->dimensionCount) return;

  uint32_t common[kMaxArrayDimensions];
  for (int d = 0; d < dims; ++d) {
    uint32_t a = old->sizes[d], b = newArray.payload_.array->sizes[d];
    common[d] = a < b ? a : b;
    if (common[d] == 0) return;
  }
  ArrayStorage* target = newArray.writableArray();

  // Odometer over the common subscripts, last one fastest so both slot
  // indexes walk memory in order.
  uint32_t subscript[kMaxArrayDimensions] = {};
  for (;;) {
    uint32_t from = 0, to = 0;
    for (int d = 0; d < dims; ++d) {
      from = from * old->sizes[d] + subscript[d];
      to = to * target->sizes[d] + subscript[d];
    }
    const Variant& source = old->slots[from];
    if (source.type_ != VType::Empty) target->slots[to] = source;
    int d = dims - 1;
    while (d >= 0 && ++subscript[d] == common[d]) subscript[d--] = 0;
    if (d < 0) break;
  }
}

}  // namespace vx

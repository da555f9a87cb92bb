// Bit operations on 32-bit integers. Shifts and rotations work on the
// unsigned pattern, so no step has undefined behaviour in C++.
#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

uint32_t bitsOf(const Variant& v) { return static_cast<uint32_t>(v.toInt32()); }
int32_t fromBits(uint32_t bits) { return static_cast<int32_t>(bits); }

int bitAnd(Interpreter&, Variant* a, int count, Variant& r) {
  uint32_t bits = bitsOf(a[0]);
  for (int i = 1; i < count; ++i) bits &= bitsOf(a[i]);
  r.setInt32(fromBits(bits));
  return 0;
}

int bitOr(Interpreter&, Variant* a, int count, Variant& r) {
  uint32_t bits = bitsOf(a[0]);
  for (int i = 1; i < count; ++i) bits |= bitsOf(a[i]);
  r.setInt32(fromBits(bits));
  return 0;
}

int bitXor(Interpreter&, Variant* a, int count, Variant& r) {
  uint32_t bits = bitsOf(a[0]);
  for (int i = 1; i < count; ++i) bits ^= bitsOf(a[i]);
  r.setInt32(fromBits(bits));
  return 0;
}

int bitNot(Interpreter&, Variant* a, int, Variant& r) {
  r.setInt32(fromBits(~bitsOf(a[0])));
  return 0;
}

// n > 0 shifts right copying the sign bit, n < 0 shifts left; the count is
// taken modulo 32, so a shift by 32 leaves the value alone.
int bitShift(Interpreter&, Variant* a, int, Variant& r) {
  const uint32_t bits = bitsOf(a[0]);
  const int64_t n = a[1].toInt32();
  uint32_t result = bits;
  if (n > 0) {
    const int s = static_cast<int>(n % 32);
    result = bits >> s;
    if (s > 0 && (bits & 0x80000000u)) result |= ~(0xFFFFFFFFu >> s);
  } else if (n < 0) {
    result = bits << static_cast<int>((-n) % 32);
  }
  r.setInt32(fromBits(result));
  return 0;
}

// Rotates the low 8, 16 or 32 bits left; the bits above them stay put.
int bitRotate(Interpreter& vm, Variant* a, int count, Variant& r) {
  int size = 16;
  if (count > 2 && !a[2].isDefault()) {
    const String& s = a[2].stringForm();
    const char16_t c = s.empty() ? 0 : s[0];
    if (c == u'B' || c == u'b') size = 8;
    else if (c == u'W' || c == u'w') size = 16;
    else if (c == u'D' || c == u'd') size = 32;
    else size = 0;
  }
  if (size == 0) {
    r.setInt32(0);
    vm.setError(1);
    return 0;
  }
  const uint32_t bits = bitsOf(a[0]);
  const int64_t n = ((static_cast<int64_t>(a[1].toInt32()) % size) + size) % size;
  if (n == 0) {
    r.setInt32(fromBits(bits));
    return 0;
  }
  const uint32_t mask = size == 32 ? 0xFFFFFFFFu : (1u << size) - 1;
  const uint32_t low = bits & mask;
  const int s = static_cast<int>(n);
  const uint32_t rotated = ((low << s) | (low >> (size - s))) & mask;
  r.setInt32(fromBits((bits & ~mask) | rotated));
  return 0;
}

}  // namespace

void registerBitBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::BITAND, bitAnd);
  vm.registerBuiltin(BuiltinId::BITOR, bitOr);
  vm.registerBuiltin(BuiltinId::BITXOR, bitXor);
  vm.registerBuiltin(BuiltinId::BITNOT, bitNot);
  vm.registerBuiltin(BuiltinId::BITSHIFT, bitShift);
  vm.registerBuiltin(BuiltinId::BITROTATE, bitRotate);
}

}  // namespace vx

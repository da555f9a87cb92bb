// Arithmetic built-ins of the number family.
#include <cmath>

#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

bool isInteger(const Variant& v) { return v.isInt32() || v.isInt64(); }

// A zero divisor, or the one quotient that overflows, must not stop the
// process: those cases take the floating-point remainder (NaN, or 0).
int mod(Interpreter&, Variant* a, int, Variant& r) {
  if (a[0].isInt32() && a[1].isInt32()) {
    const int32_t x = a[0].int32Value(), y = a[1].int32Value();
    if (y != 0 && !(x == INT32_MIN && y == -1)) {
      r.setInt32(x % y);
      return 0;
    }
  } else if (isInteger(a[0]) && isInteger(a[1])) {
    const int64_t x = a[0].toInt64(), y = a[1].toInt64();
    if (y != 0 && !(x == INT64_MIN && y == -1)) {
      r.setInt64(x % y);
      return 0;
    }
  }
  r.setDouble(std::fmod(a[0].toDouble(), a[1].toDouble()));
  return 0;
}

}  // namespace

void registerMathBuiltins(Interpreter& vm) { vm.registerBuiltin(BuiltinId::MOD, mod); }

}  // namespace vx

// Arithmetic built-ins of the number family: elementary functions, rounding,
// modulo, number parsing and hexadecimal text.
#include <cmath>
#include <limits>

#include "builtins/registry.h"
#include "engine/interpreter.h"
#include "values/number_text.h"

namespace vx {

namespace {

bool isInteger(const Variant& v) { return v.isInt32() || v.isInt64(); }

// Out-of-range doubles take the same route as every other conversion to 64
// bits, so FLOOR(1e300) agrees with Int(1e300).
int64_t doubleToInt64(double d) { return Variant::fromDouble(d).toInt64(); }

// C runtimes disagree on the sign of the NaN an invalid argument gives;
// scripts see the processor's indefinite NaN (-1.#IND) everywhere, as on
// Windows. A NaN argument passes through as it is.
double indefiniteUnlessNaN(double argument, double result) {
  if (result == result || argument != argument) return result;
  return -std::numeric_limits<double>::quiet_NaN();
}

template <double (*F)(double)>
int elementary(Interpreter&, Variant* a, int, Variant& r) {
  const double x = a[0].toDouble();
  r.setDouble(indefiniteUnlessNaN(x, F(x)));
  return 0;
}

double absolute(double x) { return std::fabs(x); }
double squareRoot(double x) { return std::sqrt(x); }
double sine(double x) { return std::sin(x); }
double cosine(double x) { return std::cos(x); }
double tangent(double x) { return std::tan(x); }
double arcSine(double x) { return std::asin(x); }
double arcCosine(double x) { return std::acos(x); }
double arcTangent(double x) { return std::atan(x); }
double exponential(double x) { return std::exp(x); }
double naturalLog(double x) { return std::log(x); }

int ceiling(Interpreter&, Variant* a, int, Variant& r) {
  r.setInt64(doubleToInt64(std::ceil(a[0].toDouble())));
  return 0;
}

int floorOf(Interpreter&, Variant* a, int, Variant& r) {
  r.setInt64(doubleToInt64(std::floor(a[0].toDouble())));
  return 0;
}

// Halves go away from zero; a negative digit count rounds to tens, hundreds.
int round(Interpreter&, Variant* a, int count, Variant& r) {
  const double x = a[0].toDouble();
  const double f = std::pow(10.0, count > 1 ? a[1].toInt32() : 0);
  const double rounded = x >= 0 ? std::floor(x * f + 0.5) / f : std::ceil(x * f - 0.5) / f;
  if (count > 1) r.setDouble(rounded);
  else r.setInt64(doubleToInt64(rounded));
  return 0;
}

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

int intOf(Interpreter& vm, Variant* a, int, Variant& r) {
  const Variant& v = a[0];
  if (isInteger(v)) {
    r = v;
  } else if (v.isBinary() && v.binary()->length <= 4) {
    r.setInt32(v.toInt32());
  } else if (v.isDouble() || v.isString() || v.isBinary()) {
    r.setInt64(v.toInt64());
  } else {
    r.setInt32(0);
    vm.setError(1);
  }
  return 0;
}

int number(Interpreter&, Variant* a, int, Variant& r) {
  if (a[0].isNumber()) {
    r = a[0];
    return 0;
  }
  const Variant text = Variant::fromString(a[0].stringForm());
  const String& s = text.asString();
  bool hasPoint = false;
  for (size_t i = 0; i < s.length() && !hasPoint; ++i) hasPoint = s[i] == u'.';
  if (hasPoint) {
    r.setDouble(text.toDouble());
    return 0;
  }
  const int64_t n = text.toInt64();
  if (n >= INT32_MIN && n <= INT32_MAX) r.setInt32(static_cast<int32_t>(n));
  else r.setInt64(n);
  return 0;
}

int hex(Interpreter& vm, Variant* a, int count, Variant& r) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  if (const BinaryBlock* block = a[0].binary()) {
    String text;
    text.reserve(static_cast<size_t>(block->length) * 2);
    for (uint32_t i = 0; i < block->length; ++i) {
      text.append(kDigits[block->bytes[i] >> 4]);
      text.append(kDigits[block->bytes[i] & 15]);
    }
    r.setString(std::move(text));
    return 0;
  }
  int32_t digits = count > 1 ? a[1].toInt32() : 8;
  if (digits > 8) {
    r.setString(String());
    vm.setError(1);
    return 0;
  }
  if (digits < 0) digits = 0;
  const uint32_t value = static_cast<uint32_t>(a[0].toInt32());
  char16_t units[8];
  for (int i = 0; i < digits; ++i) units[i] = kDigits[(value >> (4 * (digits - 1 - i))) & 15];
  // The digits kept are the lowest ones; anything above them is lost.
  if (digits < 8 && (value >> (4 * digits)) != 0) vm.setError(1);
  r.setString(String(units, static_cast<size_t>(digits)));
  return 0;
}

int dec(Interpreter& vm, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  uint64_t value = 0;
  if (!parseHexDigits(s.data(), s.length(), 8, &value)) {
    r.setInt32(0);
    vm.setError(1);
    return 0;
  }
  r.setInt32(static_cast<int32_t>(static_cast<uint32_t>(value)));
  return 0;
}

}  // namespace

void registerMathBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::ABS, elementary<absolute>);
  vm.registerBuiltin(BuiltinId::SQRT, elementary<squareRoot>);
  vm.registerBuiltin(BuiltinId::SIN, elementary<sine>);
  vm.registerBuiltin(BuiltinId::COS, elementary<cosine>);
  vm.registerBuiltin(BuiltinId::TAN, elementary<tangent>);
  vm.registerBuiltin(BuiltinId::ASIN, elementary<arcSine>);
  vm.registerBuiltin(BuiltinId::ACOS, elementary<arcCosine>);
  vm.registerBuiltin(BuiltinId::ATAN, elementary<arcTangent>);
  vm.registerBuiltin(BuiltinId::EXP, elementary<exponential>);
  vm.registerBuiltin(BuiltinId::LOG, elementary<naturalLog>);
  vm.registerBuiltin(BuiltinId::CEILING, ceiling);
  vm.registerBuiltin(BuiltinId::FLOOR, floorOf);
  vm.registerBuiltin(BuiltinId::ROUND, round);
  vm.registerBuiltin(BuiltinId::MOD, mod);
  vm.registerBuiltin(BuiltinId::INT, intOf);
  vm.registerBuiltin(BuiltinId::NUMBER, number);
  vm.registerBuiltin(BuiltinId::HEX, hex);
  vm.registerBuiltin(BuiltinId::DEC, dec);
}

}  // namespace vx

// RANDOM and SRANDOM over one MT19937 generator, owned by the run: a seed
// given anywhere fixes every later draw.
#include "builtins/text/mersenne_twister.h"

#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

MersenneTwister& generator(Interpreter& vm) {
  if (!vm.randomGenerator) vm.randomGenerator = std::make_unique<MersenneTwister>();
  return *vm.randomGenerator;
}

int failed(Interpreter& vm, Variant& r) {
  r.setInt32(0);
  vm.setError(1);
  return 0;
}

// Spans from 134,217,727 up exclude max: the modulus stays the span there.
int randomInteger(Interpreter& vm, const Variant& low, const Variant& high, Variant& r) {
  const int32_t min = low.toInt32(), max = high.toInt32();
  if (min >= max) return failed(vm, r);
  const int64_t span = static_cast<int64_t>(max) - min;
  const int64_t m = span < 134217727 ? span + 1 : span;
  r.setInt32(static_cast<int32_t>(min + generator(vm).nonNegative() % m));
  return 0;
}

int random(Interpreter& vm, Variant* a, int count, Variant& r) {
  if (count == 0) {
    r.setDouble(generator(vm).unit());
    return 0;
  }
  if (count == 1) {
    const double max = a[0].toDouble();
    if (!(max > 0)) return failed(vm, r);
    r.setDouble(generator(vm).unit() * max);
    return 0;
  }
  if (a[0].isArray() || a[1].isArray()) return failed(vm, r);
  if (count > 2 && a[2].toInt32() == 1) return randomInteger(vm, a[0], a[1], r);
  const double min = a[0].toDouble(), max = a[1].toDouble();
  if (!(min < max)) return failed(vm, r);
  r.setDouble(min + generator(vm).unit() * (max - min));
  return 0;
}

int seedRandom(Interpreter& vm, Variant* a, int, Variant& r) {
  generator(vm).seed(static_cast<uint32_t>(a[0].toInt32()));
  r.setInt32(1);
  return 0;
}

}  // namespace

void registerRandomBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::RANDOM, random);
  vm.registerBuiltin(BuiltinId::SRANDOM, seedRandom);
}

}  // namespace vx

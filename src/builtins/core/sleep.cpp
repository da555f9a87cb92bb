// SLEEP: a wait that keeps the program responsive (tray menu, exit, events).
#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

int sleep(Interpreter& vm, Variant* a, int, Variant&) {
  vm.sleep(a[0].toInt32());
  return 0;
}

}  // namespace

void registerSleepBuiltin(Interpreter& vm) { vm.registerBuiltin(BuiltinId::SLEEP, sleep); }

}  // namespace vx

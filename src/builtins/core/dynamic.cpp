// Built-ins that reach into the engine: text evaluated at run time,
// variables and functions by name, the error state a function hands back,
// timers, Adlib and exit functions.
#include "builtins/registry.h"
#include "engine/interpreter.h"
#include "platform/platform.h"

namespace vx {

namespace {

int execute(Interpreter& vm, Variant* a, int, Variant& r) {
  if (!vm.executeText(a[0].stringForm(), r)) {
    vm.setError(1);
    r.setString(String());
  }
  return vm.exiting() ? 1 : 0;
}

int eval(Interpreter& vm, Variant* a, int, Variant& r) {
  if (Variant* v = vm.variableByName(a[0].stringForm(), 0)) {
    r = *v;
  } else {
    vm.setError(1);
    r.setString(String());
  }
  return 0;
}

int assign(Interpreter& vm, Variant* a, int count, Variant& r) {
  const int outcome = vm.assignByName(a[0].stringForm(), a[1], count > 2 ? a[2].toInt32() : 0);
  r.setInt32(outcome == 1);
  if (outcome < 0) vm.setError(-outcome);
  return 0;
}

int isDeclared(Interpreter& vm, Variant* a, int, Variant& r) {
  r.setInt32(vm.declaredScope(a[0].stringForm()));
  return 0;
}

int callFunction(Interpreter& vm, Variant* a, int count, Variant& r) {
  if (!vm.callByName(a[0].stringForm(), a + 1, count - 1, r)) {
    if (vm.exiting()) return 1;
    vm.setError(0xDEAD);
    vm.setExtended(0xBEEF);
    r.setInt32(0);
  }
  return 0;
}

int setError(Interpreter& vm, Variant* a, int count, Variant& r) {
  vm.setError(a[0].toInt32());
  vm.markErrorSetByScript();
  if (count > 1) {
    vm.setExtended(a[1].toInt32());
    vm.markExtendedSetByScript();
  }
  if (count > 2) r = a[2];
  return 0;
}

int setExtended(Interpreter& vm, Variant* a, int count, Variant& r) {
  vm.setExtended(a[0].toInt32());
  vm.markExtendedSetByScript();
  if (count > 1) r = a[1];
  return 0;
}

int timerInit(Interpreter& vm, Variant*, int, Variant& r) {
  int64_t now;
  if (!platform::performanceCounter(now)) {
    r.setInt32(0);
    vm.setError(1);
    return 0;
  }
  r.setDouble(static_cast<double>(now));
  return 0;
}

int timerDiff(Interpreter& vm, Variant* a, int, Variant& r) {
  int64_t now;
  const int64_t frequency = platform::performanceFrequency();
  if (!platform::performanceCounter(now) || frequency == 0) {
    r.setInt32(0);
    vm.setError(1);
    return 0;
  }
  r.setDouble((static_cast<double>(now) - a[0].toDouble()) / (static_cast<double>(frequency) / 1000.0));
  return 0;
}

int adlibRegister(Interpreter& vm, Variant* a, int count, Variant& r) {
  r.setInt32(vm.registerAdlib(a[0].stringForm(), count > 1 ? a[1].toInt32() : 0));
  return 0;
}

int adlibUnregister(Interpreter& vm, Variant* a, int count, Variant& r) {
  const String name = count > 0 ? a[0].stringForm() : String();
  r.setInt32(vm.unregisterAdlib(count > 0 ? &name : nullptr));
  return 0;
}

int exitRegister(Interpreter& vm, Variant* a, int, Variant& r) {
  r.setInt32(vm.registerExitFunction(a[0].stringForm()));
  return 0;
}

int exitUnregister(Interpreter& vm, Variant* a, int, Variant& r) {
  r.setInt32(vm.unregisterExitFunction(a[0].stringForm()));
  return 0;
}

}  // namespace

void registerDynamicBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::EXECUTE, execute);
  vm.registerBuiltin(BuiltinId::EVAL, eval);
  vm.registerBuiltin(BuiltinId::ASSIGN, assign);
  vm.registerBuiltin(BuiltinId::ISDECLARED, isDeclared);
  vm.registerBuiltin(BuiltinId::CALL, callFunction);
  vm.registerBuiltin(BuiltinId::SETERROR, setError);
  vm.registerBuiltin(BuiltinId::SETEXTENDED, setExtended);
  vm.registerBuiltin(BuiltinId::TIMERINIT, timerInit);
  vm.registerBuiltin(BuiltinId::TIMERDIFF, timerDiff);
  vm.registerBuiltin(BuiltinId::ADLIBREGISTER, adlibRegister);
  vm.registerBuiltin(BuiltinId::ADLIBUNREGISTER, adlibUnregister);
  vm.registerBuiltin(BuiltinId::ONVEXLETEXITREGISTER, exitRegister);
  vm.registerBuiltin(BuiltinId::ONVEXLETEXITUNREGISTER, exitUnregister);
}

}  // namespace vx

// Core built-ins: type names and type tests, pointers, UBOUND, and the small
// system queries that every build has.
#include "builtins/registry.h"
#include "engine/interpreter.h"
#include "platform/platform.h"

namespace vx {

namespace {

int varGetType(Interpreter&, Variant* a, int, Variant& r) {
  r.setString(String::fromAscii(a[0].typeName()));
  return 0;
}

template <VType T>
int isType(Interpreter&, Variant* a, int, Variant& r) {
  r.setInt32(a[0].type() == T);
  return 0;
}

int isNumber(Interpreter&, Variant* a, int, Variant& r) {
  r.setInt32(a[0].isNumber());
  return 0;
}

// A Double counts as integral when it equals its truncation to 64 bits.
bool doubleIsIntegral(double d) { return d == static_cast<double>(Variant::fromDouble(d).toInt64()); }

int isInt(Interpreter&, Variant* a, int, Variant& r) {
  const Variant& v = a[0];
  r.setInt32(v.isInt32() || v.isInt64() || (v.isDouble() && doubleIsIntegral(v.doubleValue())));
  return 0;
}

int isFloat(Interpreter&, Variant* a, int, Variant& r) {
  const Variant& v = a[0];
  r.setInt32(v.isDouble() && !doubleIsIntegral(v.doubleValue()));
  return 0;
}

uintptr_t pointerOf(const Variant& v) {
  if (v.isPtr()) return v.ptrValue();
  if (v.isNumber() || v.isString()) {
    const int64_t n = v.toInt64();
    // Handles and addresses fit the pointer width; 32-bit values keep the
    // classic low-32-bit reading.
    return sizeof(uintptr_t) == 4 ? static_cast<uint32_t>(n) : static_cast<uintptr_t>(n);
  }
  return 0;
}

int ptr(Interpreter&, Variant* a, int, Variant& r) {
  r.setPtr(pointerOf(a[0]));
  return 0;
}

int hwnd(Interpreter& vm, Variant* a, int, Variant& r) {
  const uintptr_t p = pointerOf(a[0]);
  if (platform::isWindow(p)) {
    r.setPtr(p);
  } else {
    r.setPtr(0);
    vm.setError(1);
  }
  return 0;
}

int isHwnd(Interpreter&, Variant* a, int, Variant& r) {
  r.setBool(a[0].isPtr() && platform::isWindow(a[0].ptrValue()));
  return 0;
}

int ubound(Interpreter& vm, Variant* a, int count, Variant& r) {
  if (!a[0].isArray()) {
    r.setInt32(0);
    vm.setError(1);
    return 0;
  }
  const int dimension = count > 1 ? a[1].toInt32() : 1;
  const int dims = a[0].dimensionCount();
  int32_t n = 0;
  if (dimension == 0) n = dims;
  else if (dimension >= 1 && dimension <= dims) n = static_cast<int32_t>(a[0].dimensionSize(dimension - 1));
  r.setInt32(n);
  if (n == 0) vm.setError(2);
  return 0;
}

int isAdmin(Interpreter&, Variant*, int, Variant& r) {
  r.setInt32(platform::isAdministrator());
  return 0;
}

int beep(Interpreter&, Variant* a, int count, Variant&) {
  platform::beep(count > 0 ? a[0].toInt32() : 500, count > 1 ? a[1].toInt32() : 1000);
  return 0;
}

int memGetStats(Interpreter&, Variant*, int, Variant& r) {
  double stats[7] = {};
  platform::memoryStatus(stats);
  uint32_t size = 7;
  r.dimension(&size, 1);
  for (uint32_t i = 0; i < 7; ++i) *r.element(&i, 1, true) = Variant::fromDouble(stats[i]);
  return 0;
}

int nothing(Interpreter&, Variant*, int, Variant&) { return 0; }

int breakAllowed(Interpreter& vm, Variant* a, int, Variant&) {
  if (RunHost* host = vm.host()) host->setMenuAllowed(a[0].toInt32() != 0);
  return 0;
}

}  // namespace

void registerCoreBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::VARGETTYPE, varGetType);
  vm.registerBuiltin(BuiltinId::ISARRAY, isType<VType::Array>);
  vm.registerBuiltin(BuiltinId::ISBINARY, isType<VType::Binary>);
  vm.registerBuiltin(BuiltinId::ISBOOL, isType<VType::Bool>);
  vm.registerBuiltin(BuiltinId::ISKEYWORD, isType<VType::Keyword>);
  vm.registerBuiltin(BuiltinId::ISPTR, isType<VType::Ptr>);
  vm.registerBuiltin(BuiltinId::ISSTRING, isType<VType::String>);
  vm.registerBuiltin(BuiltinId::ISNUMBER, isNumber);
  vm.registerBuiltin(BuiltinId::ISINT, isInt);
  vm.registerBuiltin(BuiltinId::ISFLOAT, isFloat);
  vm.registerBuiltin(BuiltinId::ISHWND, isHwnd);
  vm.registerBuiltin(BuiltinId::PTR, ptr);
  vm.registerBuiltin(BuiltinId::HWND, hwnd);
  vm.registerBuiltin(BuiltinId::UBOUND, ubound);
  vm.registerBuiltin(BuiltinId::ISADMIN, isAdmin);
  vm.registerBuiltin(BuiltinId::BEEP, beep);
  vm.registerBuiltin(BuiltinId::MEMGETSTATS, memGetStats);
  vm.registerBuiltin(BuiltinId::DUMMYSPEEDTEST, nothing);
  vm.registerBuiltin(BuiltinId::BREAK, breakAllowed);
}

}  // namespace vx

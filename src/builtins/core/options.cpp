// OPT and its synonym VEXLETSETOPTION: read an option and, with a second
// argument, set it. The result is always the value before the change; a name
// that is no option, or a value an option refuses, is a soft failure.
#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

Variant currentValue(Interpreter& vm, OptionId id) {
  const OptionSpec& request = optionSpec(id);
  if (id == OptionId::TrayIconHide) return Variant::fromInt32(vm.noTrayIcon ? 1 : 0);
  if (request.kind == OptionKind::Character) {
    const char16_t unit = static_cast<char16_t>(vm.options.value(id));
    return Variant::fromString(unit ? String(&unit, 1) : String());
  }
  return Variant::fromInt32(vm.options.value(id));
}

int option(Interpreter& vm, Variant* a, int count, Variant& result) {
  result.setInt32(0);
  OptionId id;
  if (!a[0].isString() || !findOption(a[0].asString(), id)) {
    vm.setError(1);
    return 0;
  }
  const Variant previous = currentValue(vm, id);
  if (count < 2) {
    result = previous;
    return 0;
  }
  const bool useDefault = a[1].isDefault();
  if (optionSpec(id).kind == OptionKind::Character && !useDefault) {
    const String& text = a[1].stringForm();
    vm.options.setCharacter(id, text.empty() ? 0 : text[0]);
  } else if (vm.options.set(id, useDefault ? 0 : a[1].toInt32(), useDefault) == OptionResult::BadValue) {
    vm.setError(1);
    return 0;
  }
  // The tray icon itself is the frame's; the engine keeps what was asked.
  if (id == OptionId::TrayIconHide) vm.noTrayIcon = vm.options.flag(id);
  vm.optionsChanged();
  result = previous;
  return 0;
}

}  // namespace

void registerOptionBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::OPT, option);
  vm.registerBuiltin(BuiltinId::VEXLETSETOPTION, option);
}

}  // namespace vx

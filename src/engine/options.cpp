// The option table and the storing rules of each kind.
#include "engine/options.h"

#include "engine/interpreter.h"

namespace vx {

namespace {

constexpr OptionSpec kOptions[] = {
#define VX_OPTION_SPEC(name, kind, def, low, high) {#name, OptionKind::kind, def, low, high},
    VX_OPTION_LIST(VX_OPTION_SPEC)
#undef VX_OPTION_SPEC
};

constexpr char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr int compareIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const char x = lowerAscii(*a), y = lowerAscii(*b);
    if (x != y || x == 0) return x - y;
  }
}

constexpr bool sortedByName() {
  for (int i = 1; i < kOptionCount; ++i)
    if (compareIgnoringCase(kOptions[i - 1].name, kOptions[i].name) >= 0) return false;
  return true;
}
static_assert(sortedByName(), "the option list must stay sorted by name ignoring case");

// A script name against a table name; units beyond ASCII never match.
int compareName(const String& name, const char* option) {
  for (size_t i = 0;; ++i) {
    const char16_t unit = i < name.length() ? name[i] : 0;
    if (unit == 0 && i < name.length()) return 1;
    const char16_t x = unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
    const char16_t y = static_cast<unsigned char>(lowerAscii(option[i]));
    if (x != y || x == 0) return x < y ? -1 : (x > y ? 1 : 0);
  }
}

}  // namespace

const OptionSpec& optionSpec(OptionId id) { return kOptions[static_cast<int>(id)]; }

bool findOption(const String& name, OptionId& id) {
  int low = 0, high = kOptionCount - 1;
  while (low <= high) {
    const int middle = (low + high) / 2;
    const int order = compareName(name, kOptions[middle].name);
    if (order == 0) {
      id = static_cast<OptionId>(middle);
      return true;
    }
    if (order < 0) high = middle - 1;
    else low = middle + 1;
  }
  return false;
}

RunOptions::RunOptions() {
  for (int i = 0; i < kOptionCount; ++i) values_[i] = kOptions[i].defaultValue;
}

OptionResult RunOptions::set(OptionId id, int32_t requested, bool useDefault) {
  const OptionSpec& request = optionSpec(id);
  int32_t& slot = values_[static_cast<int>(id)];
  const int32_t value = useDefault ? request.defaultValue : requested;
  switch (request.kind) {
    case OptionKind::Flag: slot = value != 0; break;
    case OptionKind::Integer:
    case OptionKind::Character: slot = value; break;
    case OptionKind::Minimum: slot = value < request.low ? request.defaultValue : value; break;
    case OptionKind::Range: slot = value < request.low || value > request.high ? request.defaultValue : value; break;
    case OptionKind::Handler:
      if (id == OptionId::TrayIconHide) {
        slot = value != 0;
      } else if (id == OptionId::TrayMenuMode) {
        // Default keeps the flags: the tray menu has no single default state.
        if (!useDefault) slot = value & 15;
      } else if (id == OptionId::WinTitleMatchMode) {
        // Negative modes are the same matches ignoring case.
        if (value < -4 || value > 4 || value == 0) return OptionResult::BadValue;
        slot = value;
      }
      break;
  }
  return OptionResult::Done;
}

void Interpreter::optionsChanged() {
  mustDeclareVars = options.flag(OptionId::MustDeclareVars);
  setExitCodeOption = options.flag(OptionId::SetExitCode);
  expandStrings = static_cast<uint8_t>((options.flag(OptionId::ExpandEnvStrings) ? kExpandEnvironment : 0) |
                                       (options.flag(OptionId::ExpandVarStrings) ? kExpandVariables : 0));
}

}  // namespace vx

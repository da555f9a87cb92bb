// The run-time options a script reads and sets with OPT: one list gives the
// ids, the names and the kinds, so the table cannot drift from the enum. The
// list is sorted by name ignoring case, as the lookup bisects it.
#pragma once

#include <cstdint>

#include "values/string.h"

namespace vx {

enum class OptionKind : uint8_t {
  Flag,       // stored as 0 or 1
  Integer,    // any value
  Minimum,    // below `low` stores the default
  Range,      // outside low..high stores the default
  Character,  // one code unit, read back as a one-character String
  Handler,    // its own rule, chosen by the id
};

// name, kind, default, low, high
#define VX_OPTION_LIST(X)                            \
  X(CaretCoordMode, Range, 1, 0, 2)                  \
  X(ExpandEnvStrings, Flag, 0, 0, 0)                 \
  X(ExpandVarStrings, Flag, 0, 0, 0)                 \
  X(GUICloseOnESC, Flag, 1, 0, 0)                    \
  X(GUICoordMode, Range, 1, 0, 2)                    \
  X(GUIDataSeparatorChar, Character, u'|', 0, 0)     \
  X(GUIEventOptions, Range, 0, 0, 3)                 \
  X(GUIOnEventMode, Flag, 0, 0, 0)                   \
  X(GUIResizeMode, Range, 0, 0, 1023)                \
  X(MouseClickDelay, Minimum, 10, 0, 0)              \
  X(MouseClickDownDelay, Minimum, 10, 0, 0)          \
  X(MouseClickDragDelay, Minimum, 250, 0, 0)         \
  X(MouseCoordMode, Range, 1, 0, 2)                  \
  X(MustDeclareVars, Flag, 0, 0, 0)                  \
  X(PixelCoordMode, Range, 1, 0, 2)                  \
  X(SendAttachMode, Flag, 0, 0, 0)                   \
  X(SendCapsLockMode, Flag, 1, 0, 0)                 \
  X(SendKeyDelay, Minimum, 5, 0, 0)                  \
  X(SendKeyDownDelay, Minimum, 5, 0, 0)              \
  X(SetExitCode, Flag, 0, 0, 0)                      \
  X(TCPTimeout, Minimum, 100, 0, 0)                  \
  X(TrayAutoPause, Flag, 1, 0, 0)                    \
  X(TrayIconDebug, Flag, 0, 0, 0)                    \
  X(TrayIconHide, Handler, 0, 0, 0)                  \
  X(TrayMenuMode, Handler, 0, 0, 0)                  \
  X(TrayOnEventMode, Flag, 0, 0, 0)                  \
  X(WinDetectHiddenText, Flag, 0, 0, 0)              \
  X(WinSearchChildren, Flag, 0, 0, 0)                \
  X(WinTextMatchMode, Range, 1, 1, 2)                \
  X(WinTitleMatchMode, Handler, 1, 0, 0)             \
  X(WinWaitDelay, Minimum, 250, 0, 0)

enum class OptionId : int {
#define VX_OPTION_ID(name, kind, def, low, high) name,
  VX_OPTION_LIST(VX_OPTION_ID)
#undef VX_OPTION_ID
};

constexpr int kOptionCount = 0
#define VX_OPTION_COUNT(name, kind, def, low, high) +1
    VX_OPTION_LIST(VX_OPTION_COUNT)
#undef VX_OPTION_COUNT
    ;

struct OptionSpec {
  const char* name;
  OptionKind kind;
  int32_t defaultValue;
  int32_t low;
  int32_t high;
};

const OptionSpec& optionSpec(OptionId id);
// The option named `name` ignoring case; false when there is none.
bool findOption(const String& name, OptionId& id);

// What OPT did, for the caller to report.
enum class OptionResult { Done, BadValue };

// The current value of every option; a new record holds the defaults.
class RunOptions {
 public:
  RunOptions();

  int32_t value(OptionId id) const { return values_[static_cast<int>(id)]; }
  bool flag(OptionId id) const { return values_[static_cast<int>(id)] != 0; }
  // Stores `requested` by the option's kind (`useDefault` for the keyword
  // Default). The handler options other than WinTitleMatchMode are the
  // caller's to apply; this keeps their stored value only.
  OptionResult set(OptionId id, int32_t requested, bool useDefault);
  // The character options take the first unit of a text instead.
  void setCharacter(OptionId id, char16_t unit) { values_[static_cast<int>(id)] = unit; }

 private:
  int32_t values_[kOptionCount];
};

// Bits of Interpreter::expandStrings: which expansions apply to strings read
// into expressions.
constexpr uint8_t kExpandEnvironment = 1;
constexpr uint8_t kExpandVariables = 2;

}  // namespace vx

// The process environment, as the engine's string expansion and the
// environment built-ins see it.
#pragma once

#include "values/string.h"

namespace vx::platform {

// The value of the environment variable `name`; false when it is not set
// (a variable set to "" is found). Names compare as the system compares
// them: ignoring case on Windows.
bool readEnvironmentVariable(const String& name, String& value);

}  // namespace vx::platform

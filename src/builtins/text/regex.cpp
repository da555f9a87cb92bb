#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

void registerRegexBuiltins(Interpreter&) {}

}  // namespace vx

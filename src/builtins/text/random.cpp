#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

void registerRandomBuiltins(Interpreter&) {}

}  // namespace vx

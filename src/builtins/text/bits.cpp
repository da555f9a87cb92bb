#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

void registerBitBuiltins(Interpreter&) {}

}  // namespace vx

#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

void registerBinaryBuiltins(Interpreter&) {}

}  // namespace vx

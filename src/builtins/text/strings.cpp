#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

void registerStringBuiltins(Interpreter&) {}

}  // namespace vx

#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

void registerStringFormatBuiltins(Interpreter&) {}

}  // namespace vx

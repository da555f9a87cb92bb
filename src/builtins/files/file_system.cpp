// Files and directories as a whole: existence, copy, move, delete, directories,
// attributes, times and file searches.
#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

void registerFileSystemBuiltins(Interpreter&) {}

}  // namespace vx

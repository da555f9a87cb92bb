// File functions served by the shell and the version API: versions, short and
// long names, links, shortcuts and the file dialogs.
#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

void registerShellFileBuiltins(Interpreter&) {}

}  // namespace vx

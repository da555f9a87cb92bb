// Lexes every stored line once, before the run, reporting the first error.
#pragma once

#include "source/script_lines.h"

namespace vx {

// False when the store is empty or a line fails to lex (already reported).
// A store that already has its token lines (a compiled script) is kept.
bool lexScript(ScriptLines& store);

}  // namespace vx

// The block-structure check: one walk over the whole script before it runs,
// so that every block the run meets is known to be closed and properly
// nested, and the run-time scans (block_scan.h) always find their match.
#pragma once

#include <vector>

#include "engine/script_error.h"
#include "lexer/token.h"

namespace vx {

// `lines` is indexed from 1 (index 0 unused). Returns false on the first
// structural error, which is left in `error` for the caller to report.
bool checkBlockStructure(const std::vector<TokenLine>& lines, ScriptError& error);

}  // namespace vx

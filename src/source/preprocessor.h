// Directive lines (those starting with "#"): load flags, start-up functions,
// includes and include-once, and comment blocks. Unknown directives vanish
// without a message, so scripts can carry editor-only ones such as #region.
#pragma once

#include "source/script_lines.h"
#include "source/script_reader.h"

namespace vx {

enum class DirectiveResult { Fail, Consumed, Store, StopFile };

DirectiveResult processDirective(ScriptLines& store, const String& line, OpenSource& source);

// The file an include names: false when the name is not quoted or bracketed
// properly. A name found nowhere is returned as written.
bool resolveInclude(const ScriptLines& store, const String& afterDirective, String& path);

}  // namespace vx

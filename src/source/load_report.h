// Reports of errors found before the script runs: while reading files, while
// preprocessing and while lexing. Each goes to standard output with
// "/ErrorStdOut", otherwise to an error message box.
#pragma once

#include "source/script_lines.h"
#include "values/string.h"

namespace vx {

void reportLoadError(const ScriptLines& store, const String& file, int line, const String& message,
                     const String& text);
void reportLexError(const ScriptLines& store, int lineIndex, int messageId, int column);
void reportUnableToOpenScript(bool toStdout);

}  // namespace vx

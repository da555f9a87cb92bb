// The main driver of a run: command line, loading, preparing, and handing
// the script to the engine. Portable; the Windows entry point wraps it with
// the process-wide settings it must save and restore.
#pragma once

#include "engine/interpreter.h"
#include "values/string.h"

namespace vx {

// `commandText` is the command line after the program's own name. Returns
// the process exit code.
int runMainDriver(Interpreter& vm, const String& commandText);

// The directory part of a path, without a trailing separator except for a
// bare drive ("C:" becomes "C:\").
String scriptDirectoryOf(const String& fullPath);
String fileNameOf(const String& fullPath);

}  // namespace vx

// The main driver of a run: command line, loading, preparing, and handing
// the script to the engine. Portable; the Windows entry point wraps it with
// the process-wide settings it must save and restore.
#pragma once

#include <functional>
#include <memory>

#include "engine/interpreter.h"
#include "engine/run_host.h"
#include "values/string.h"

namespace vx {

// Makes the host the script runs under, once the script is ready to run.
using HostFactory = std::function<std::unique_ptr<RunHost>(Interpreter& vm)>;

// `commandText` is the command line after the program's own name. Returns
// the process exit code.
int runMainDriver(Interpreter& vm, const String& commandText, const HostFactory& makeHost);

// The directory part of a path, without a trailing separator except for a
// bare drive ("C:" becomes "C:\").
String scriptDirectoryOf(const String& fullPath);
String fileNameOf(const String& fullPath);

}  // namespace vx

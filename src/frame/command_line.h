// The command line: splitting it into arguments by the program's own quoting
// rules, and recognising the interpreter's switches in their fixed order.
#pragma once

#include <vector>

#include "values/string.h"

namespace vx {

enum class SourceKind : int { NoSource = 0, SingleLine = 1, SourceFile = 2, CompiledFile = 3, EmbeddedScript = 4 };

constexpr size_t kMaxArgumentLength = 4096;

std::vector<String> splitCommandLine(const String& text);

// The command line without the program's own name (quoted or not) and the
// blanks after it.
String textAfterProgramName(const String& fullCommandLine);

struct CommandLine {
  bool errorToStdout = false;
  bool debugOutput = false;
  bool noTrayIcon = false;
  SourceKind kind = SourceKind::EmbeddedScript;
  String scriptPath;
  String lineText;
  std::vector<String> scriptArguments;
};

// `carriesScript`: the executable has a compiled script of its own and runs
// it unless told otherwise. Without one it is the plain interpreter: the
// first argument names the script. `forbidsExternal`: the carried script
// forbids running anything else.
CommandLine interpretCommandLine(const String& text, const String& executablePath, bool carriesScript,
                                 bool forbidsExternal);

}  // namespace vx

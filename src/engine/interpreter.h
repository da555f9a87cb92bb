// The one engine object of a run: the script, its global variables and the
// run's outcome. It grows with the engine; everything a run owns lives here
// or in the frame, never in globals.
#pragma once

#include <vector>

#include "frame/command_line.h"
#include "source/script_lines.h"
#include "values/string.h"
#include "values/variant.h"

namespace vx {

class Interpreter {
 public:
  Interpreter() = default;
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  ScriptLines& script() { return script_; }

  // Declares a variable in the global scope (names are upper case).
  void declareGlobal(const String& name, Variant value, bool constant);
  const Variant* findGlobal(const String& name) const;

  SourceKind sourceKind = SourceKind::EmbeddedScript;
  String scriptFullPath;
  String scriptName;
  String scriptDir;
  int32_t exitCode = 0;
  bool errorToStdout = false;
  bool debugOutput = false;
  bool noTrayIcon = false;
  bool themeActive = false;

 private:
  struct GlobalVariable {
    String name;
    Variant value;
    bool constant;
  };
  ScriptLines script_;
  std::vector<GlobalVariable> globals_;
};

}  // namespace vx

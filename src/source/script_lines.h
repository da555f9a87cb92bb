// The store of all script lines of a run, in execution order, with the files
// they came from, the include search directories and the load flags.
//
// Invariants: line indexes are 1-based; only the last stored line can be
// empty (an empty line is taken over by the next one stored, so blank lines
// cost no index); a line's number and file index serve error reports only.
#pragma once

#include <cstdint>
#include <vector>

#include "lexer/token.h"
#include "values/string.h"

namespace vx {

struct ScriptLine {
  String text;
  int32_t lineNumber;  // physical line in its file, 1-based
  int32_t fileIndex;   // into ScriptLines::files; -1 for a line from the command line
};

struct ScriptFile {
  String path;
  int readCount;
};

class ScriptLines {
 public:
  static constexpr int kMaxIncludeDirs = 256;
  static constexpr size_t kMaxDirLength = 260;

  ScriptLines() = default;
  ScriptLines(const ScriptLines&) = delete;
  ScriptLines& operator=(const ScriptLines&) = delete;

  // Fills the include directories: the "Include" folder beside the
  // executable, then the pieces of the user's include path setting.
  void initIncludeDirs(const String& executablePath, const String* includeSetting);

  int registerFile(const String& path);
  void addLine(int32_t lineNumber, String text, int32_t fileIndex);
  void appendContinuation(const String& text);

  int count() const { return static_cast<int>(lines_.size()); }
  // Lookups by 1-based index; out-of-range indexes give -1 or an empty text.
  int32_t lineNumber(int index) const;
  int32_t fileIndex(int index) const;
  const String& lineText(int index) const;
  const String& fileName(int fileIndex) const;
  const ScriptFile* findFile(const String& fullPath) const;

  const std::vector<String>& includeDirs() const { return includeDirs_; }
  std::vector<TokenLine>& tokenLines() { return tokenLines_; }
  const std::vector<TokenLine>& tokenLines() const { return tokenLines_; }

  // Load flags, set by directives.
  bool noTrayIcon = false;
  bool requireAdmin = false;
  bool noExternalExecution = false;
  bool errorToStdout = false;
  int includeDepth = 0;  // files being read at once; the main script counts as one
  // Functions named by start-up directives, in order; the engine runs them.
  std::vector<String> startupFunctions;

 private:
  std::vector<ScriptLine> lines_;
  std::vector<ScriptFile> files_;
  std::vector<String> includeDirs_;
  std::vector<TokenLine> tokenLines_;  // index 0 unused, as lines are 1-based
};

}  // namespace vx

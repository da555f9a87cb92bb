#include "source/preprocessor.h"

#include "platform/platform.h"
#include "source/load_report.h"

namespace vx {

namespace {

String startupFunctionName(const String& line) {
  String name = trim(line.substr(22, line.length()));
  if (!name.empty() && name[name.length() - 1] == u'"') {
    name = trim(name.substr(1, name.length() >= 2 ? name.length() - 2 : 0));
  }
  return name;
}

DirectiveResult includeOnce(const ScriptLines& store, const OpenSource& source) {
  const ScriptFile* file = store.findFile(source.path);
  return file && file->readCount > 1 ? DirectiveResult::StopFile : DirectiveResult::Consumed;
}

DirectiveResult include(ScriptLines& store, const String& line, OpenSource& source) {
  String path;
  if (!resolveInclude(store, line.substr(8, line.length()), path)) {
    reportLoadError(store, source.path, source.lineNumber, String::fromAscii("Cannot parse #include"), line);
    return DirectiveResult::Fail;
  }
  const int fileIndex = store.registerFile(path);
  const ReportingPlace place{source.path, line, source.lineNumber};
  return readSourceFile(store, path, fileIndex, place) ? DirectiveResult::Consumed : DirectiveResult::Fail;
}

// Skips lines up to the matching end of the block; blocks nest.
DirectiveResult commentBlock(ScriptLines& store, OpenSource& source) {
  int depth = 1;
  String line;
  while (readPhysicalLine(source, line)) {
    line = trim(line);
    if (startsWithNoCase(line, "#comments-start") || startsWithNoCase(line, "#cs")) {
      ++depth;
    } else if (startsWithNoCase(line, "#comments-end") || startsWithNoCase(line, "#ce")) {
      if (--depth == 0) return DirectiveResult::Consumed;
    }
  }
  reportLoadError(store, source.path, source.lineNumber, String::fromAscii("Unterminated group of comments"),
                  String());
  return DirectiveResult::Fail;
}

bool exists(const String& path) { return platform::fileExists(path); }

String joined(const String& dir, const String& name) {
  String path = dir;
  path.append(name);
  return path;
}

}  // namespace

bool resolveInclude(const ScriptLines& store, const String& afterDirective, String& path) {
  const String& s = afterDirective;
  size_t i = 0;
  while (i < s.length() && (s[i] == u' ' || s[i] == u'\t')) ++i;
  if (i >= s.length()) return false;
  const char16_t open = s[i];
  char16_t close;
  if (open == u'"' || open == u'\'') close = open;
  else if (open == u'<') close = u'>';
  else return false;
  const size_t nameStart = ++i;
  while (i < s.length() && s[i] != close) ++i;
  if (i >= s.length()) return false;
  const String name = trim(s.substr(nameStart, i - nameStart));
  for (++i; i < s.length(); ++i) {
    if (s[i] == u';') break;
    if (s[i] != u' ' && s[i] != u'\t') return false;
  }

  const std::vector<String>& dirs = store.includeDirs();
  if (open == u'<') {
    for (const String& dir : dirs)
      if (exists(joined(dir, name))) return path = joined(dir, name), true;
  } else {
    if (exists(name)) return path = name, true;
    for (size_t k = dirs.size(); k-- > 0;)
      if (exists(joined(dirs[k], name))) return path = joined(dirs[k], name), true;
  }
  path = name;
  return true;
}

DirectiveResult processDirective(ScriptLines& store, const String& line, OpenSource& source) {
  if (startsWithNoCase(line, "#notrayicon")) {
    store.noTrayIcon = true;
  } else if (startsWithNoCase(line, "#requireadmin")) {
    store.requireAdmin = true;
  } else if (startsWithNoCase(line, "#NoVexlet3Exe")) {
    store.noExternalExecution = true;
  } else if (startsWithNoCase(line, "#OnVexletStartRegister")) {
    store.startupFunctions.push_back(startupFunctionName(line));
  } else if (startsWithNoCase(line, "#include-once")) {
    return includeOnce(store, source);
  } else if (startsWithNoCase(line, "#include")) {
    return include(store, line, source);
  } else if (startsWithNoCase(line, "#comments-start") || startsWithNoCase(line, "#cs")) {
    return commentBlock(store, source);
  }
  return DirectiveResult::Consumed;
}

}  // namespace vx

#include "frame/command_line.h"

namespace vx {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

bool sameNoCase(const String& a, const char* b) {
  size_t i = 0;
  for (; b[i]; ++i) {
    if (i >= a.length()) return false;
    char16_t x = a[i], y = static_cast<unsigned char>(b[i]);
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
    if (x != y) return false;
  }
  return i == a.length();
}

}  // namespace

std::vector<String> splitCommandLine(const String& text) {
  std::vector<String> arguments;
  String current;
  bool inQuotes = false, allowEmpty = false;
  size_t putBack = 0;  // where a missing closing quote goes back in
  size_t i = 0;
  const size_t n = text.length();
  while (i < n && isBlank(text[i])) ++i;
  while (i < n && current.length() < kMaxArgumentLength) {
    char16_t c = text[i];
    if (isBlank(c) && !inQuotes) {
      arguments.push_back(current);
      current.clear();
      inQuotes = allowEmpty = false;
      while (i < n && isBlank(text[i])) ++i;
      if (i >= n) return arguments;
      continue;
    }
    if (c == u'"' && i + 1 < n && text[i + 1] == u'"') {
      if (inQuotes) {
        current.append(u'"');
        putBack = current.length();
      } else {
        allowEmpty = true;
      }
      i += 2;
      continue;
    }
    if (c == u'"') {
      if (inQuotes) {
        inQuotes = false;
      } else {
        inQuotes = true;
        putBack = current.length();
      }
    } else {
      current.append(c);
    }
    ++i;
  }
  if (inQuotes) {
    String withQuote = current.substr(0, putBack);
    withQuote.append(u'"');
    withQuote.append(current.substr(putBack, current.length() - putBack));
    current = withQuote;
  }
  if (!current.empty() || allowEmpty) arguments.push_back(current);
  return arguments;
}

String textAfterProgramName(const String& full) {
  size_t i = 0;
  const size_t n = full.length();
  if (i < n && full[i] == u'"') {
    ++i;
    while (i < n && full[i] != u'"') ++i;
    if (i < n) ++i;
  } else {
    while (i < n && !isBlank(full[i])) ++i;
  }
  while (i < n && isBlank(full[i])) ++i;
  return full.substr(i, n - i);
}

CommandLine interpretCommandLine(const String& text, const String& executablePath, bool carriesScript,
                                 bool forbidsExternal) {
  const std::vector<String> args = splitCommandLine(text);
  const size_t n = args.size();
  CommandLine cl;
  // A plain interpreter runs a named file, source or compiled.
  cl.kind = carriesScript ? SourceKind::EmbeddedScript : SourceKind::CompiledFile;
  cl.scriptPath = carriesScript ? executablePath : String();
  size_t i = 0;
  bool externalAsked = false;
  auto argumentAfter = [&](size_t k) { return k + 1 < n ? args[k + 1] : String(); };
  if (i < n && sameNoCase(args[i], "/ErrorStdOut")) {
    cl.errorToStdout = true;
    ++i;
  }
  if (i < n && sameNoCase(args[i], "/Vexlet3OutputDebug")) {
    cl.debugOutput = true;
    ++i;
  }
  if (i < n && sameNoCase(args[i], "/Vexlet3ExecuteLine")) {
    cl.lineText = argumentAfter(i);
    cl.kind = SourceKind::SingleLine;
    cl.noTrayIcon = true;
    cl.scriptPath = executablePath;
    externalAsked = true;
    i += 2;
  }
  if (i < n && sameNoCase(args[i], "/Vexlet3ExecuteScript")) {
    cl.scriptPath = argumentAfter(i);
    cl.kind = SourceKind::CompiledFile;
    externalAsked = true;
    i += 2;
  }
  if (cl.scriptPath.empty() && i < n) {
    cl.scriptPath = args[i];
    ++i;
  }
  if (forbidsExternal && externalAsked) cl.kind = SourceKind::NoSource;
  for (size_t k = i; k < n; ++k) cl.scriptArguments.push_back(args[k]);
  return cl;
}

}  // namespace vx

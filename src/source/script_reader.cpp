#include "source/script_reader.h"

#include "platform/platform.h"
#include "source/load_report.h"
#include "source/preprocessor.h"

namespace vx {

namespace {

bool isWhite(char16_t c) { return isAsciiSpace(c); }

// Restores the include depth and the current directory however reading ends.
class ReadScope {
 public:
  explicit ReadScope(ScriptLines& store) : store_(store) { ++store_.includeDepth; }
  ~ReadScope() {
    if (changedDirectory_) platform::setCurrentDirectory(savedDirectory_);
    --store_.includeDepth;
  }
  void enterDirectoryOf(const String& fullPath) {
    savedDirectory_ = platform::currentDirectory();
    changedDirectory_ = true;
    size_t cut = fullPath.length();
    while (cut > 0 && !platform::isPathSeparator(fullPath[cut - 1])) --cut;
    if (cut > 0) platform::setCurrentDirectory(fullPath.substr(0, cut));
  }

 private:
  ScriptLines& store_;
  String savedDirectory_;
  bool changedDirectory_ = false;
};

enum class CommentCut { Ok, Unterminated };

// Cuts the line at its comment. Directive lines (other than includes, whose
// file names may hold semicolons) end at the first semicolon, quotes or not.
CommentCut cutComment(String& line) {
  const bool directive = !line.empty() && line[0] == u'#' && !startsWithNoCase(line, "#include");
  char16_t openQuote = 0;
  for (size_t i = 0; i < line.length(); ++i) {
    char16_t c = line[i];
    if (directive) {
      if (c == u';') {
        line = line.substr(0, i);
        return CommentCut::Ok;
      }
      continue;
    }
    if (openQuote) {
      if (c == openQuote) openQuote = 0;
    } else if (c == u'"' || c == u'\'') {
      openQuote = c;
    } else if (c == u';') {
      line = line.substr(0, i);
      return CommentCut::Ok;
    }
  }
  return openQuote ? CommentCut::Unterminated : CommentCut::Ok;
}

bool endsWithContinuationMark(const String& line) {
  const size_t n = line.length();
  return n >= 3 && line[n - 1] == u'_' && isWhite(static_cast<char16_t>(line[n - 2] % 128));
}

}  // namespace

String trimLeft(const String& s) {
  size_t i = 0;
  while (i < s.length() && isWhite(s[i])) ++i;
  return i == 0 ? s : s.substr(i, s.length() - i);
}

String trimRight(const String& s) {
  size_t n = s.length();
  while (n > 0 && isWhite(s[n - 1])) --n;
  return n == s.length() ? s : s.substr(0, n);
}

String trim(const String& s) { return trimRight(trimLeft(s)); }

bool startsWithNoCase(const String& s, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= s.length()) return false;
    char16_t c = s[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    char16_t p = static_cast<unsigned char>(prefix[i]);
    if (p >= u'a' && p <= u'z') p = static_cast<char16_t>(p - 32);
    if (c != p) return false;
  }
  return true;
}

bool readPhysicalLine(OpenSource& source, String& line) {
  if (!source.reader.readLine(line)) return false;
  ++source.lineNumber;
  if (line.length() > kMaxLineLength) line.resize(kMaxLineLength);
  return true;
}

bool readSourceFile(ScriptLines& store, const String& path, int fileIndex, const ReportingPlace& requestedAt) {
  ReadScope scope(store);
  if (store.includeDepth >= kMaxIncludeDepth) {
    reportLoadError(store, requestedAt.file, requestedAt.line,
                    String::fromAscii("#include depth exceeded.  Make sure there are no recursive includes"),
                    requestedAt.text);
    return false;
  }
  TextReader reader;
  if (!reader.open(path)) {
    reportLoadError(store, requestedAt.file, requestedAt.line, String::fromAscii("Error opening the file"),
                    requestedAt.text);
    return false;
  }
  const String fullPath = platform::fullPath(path);
  scope.enterDirectoryOf(fullPath);

  int lineNumber = 0;
  OpenSource source{reader, fullPath, lineNumber};
  bool continues = false;
  String line;
  while (readPhysicalLine(source, line)) {
    line = trimLeft(line);
    if (cutComment(line) == CommentCut::Unterminated) {
      reportLoadError(store, fullPath, lineNumber, String::fromAscii("Unterminated string"), line);
      return false;
    }
    line = trimRight(line);
    const bool nextContinues = endsWithContinuationMark(line);
    if (nextContinues) line.resize(line.length() - 1);
    if (continues) {
      store.appendContinuation(line);
    } else if (line.empty() || line[0] != u'#') {
      store.addLine(lineNumber, line, fileIndex);
    } else {
      switch (processDirective(store, line, source)) {
        case DirectiveResult::Fail: return false;
        case DirectiveResult::StopFile: return true;
        case DirectiveResult::Store: store.addLine(lineNumber, line, fileIndex); break;
        case DirectiveResult::Consumed: break;
      }
    }
    continues = nextContinues;
  }
  return true;
}

}  // namespace vx

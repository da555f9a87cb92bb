// Reads script source files into the line store: per physical line, the
// length cut, blank trimming, the semicolon comment (aware of both quote
// kinds), continuation lines, and hand-off of "#" lines to the preprocessor.
#pragma once

#include "source/script_lines.h"
#include "source/text_reader.h"
#include "values/string.h"

namespace vx {

constexpr size_t kMaxLineLength = 4094;
constexpr int kMaxIncludeDepth = 48;

// Where a file was asked for, so an error opening it is reported there.
struct ReportingPlace {
  String file;
  String text;
  int line;
};

// Reads one source file (the main script or an include) into the store.
// Errors have been reported when it returns false.
bool readSourceFile(ScriptLines& store, const String& path, int fileIndex, const ReportingPlace& requestedAt);

// The file being read, as the preprocessor sees it: the comment-block reader
// goes on reading physical lines of it.
struct OpenSource {
  TextReader& reader;
  const String& path;
  int& lineNumber;
};

// Reads the next physical line of an open source, cut to the maximum length
// and counted; false at the end of the file.
bool readPhysicalLine(OpenSource& source, String& line);

// Removes ASCII white space at the start, the end, or both.
String trimLeft(const String& s);
String trimRight(const String& s);
String trim(const String& s);

// Case-insensitive (ASCII) test whether `s` starts with `prefix`.
bool startsWithNoCase(const String& s, const char* prefix);

}  // namespace vx

#include "source/script_lines.h"

#include "platform/platform.h"

namespace vx {

namespace {

const String kEmpty;

String withSeparator(String dir) {
  if (!dir.empty() && !platform::isPathSeparator(dir[dir.length() - 1])) dir.append(platform::kPathSeparator);
  return dir;
}

}  // namespace

void ScriptLines::initIncludeDirs(const String& executablePath, const String* includeSetting) {
  includeDirs_.clear();
  size_t cut = executablePath.length();
  while (cut > 0 && !platform::isPathSeparator(executablePath[cut - 1])) --cut;
  String beside = executablePath.substr(0, cut);
  beside.appendAscii("Include");
  includeDirs_.push_back(withSeparator(beside).substr(0, kMaxDirLength));
  if (!includeSetting) return;
  const String& value = *includeSetting;
  size_t start = 0;
  for (;;) {
    size_t end = start;
    while (end < value.length() && value[end] != u';') ++end;
    if (static_cast<int>(includeDirs_.size()) < kMaxIncludeDirs)
      includeDirs_.push_back(withSeparator(value.substr(start, end - start)).substr(0, kMaxDirLength));
    if (end >= value.length()) break;
    start = end + 1;
  }
}

int ScriptLines::registerFile(const String& path) {
  String full = platform::fullPath(path);
  for (size_t i = 0; i < files_.size(); ++i) {
    if (platform::samePath(files_[i].path, full)) {
      ++files_[i].readCount;
      return static_cast<int>(i);
    }
  }
  files_.push_back({full, 1});
  return static_cast<int>(files_.size() - 1);
}

const ScriptFile* ScriptLines::findFile(const String& fullPath) const {
  for (const ScriptFile& file : files_)
    if (platform::samePath(file.path, fullPath)) return &file;
  return nullptr;
}

void ScriptLines::addLine(int32_t lineNumber, String text, int32_t fileIndex) {
  if (!lines_.empty() && lines_.back().text.empty()) {
    lines_.back() = {std::move(text), lineNumber, fileIndex};
    return;
  }
  lines_.push_back({std::move(text), lineNumber, fileIndex});
}

void ScriptLines::appendContinuation(const String& text) {
  if (!lines_.empty()) lines_.back().text.append(text);
}

int32_t ScriptLines::lineNumber(int index) const {
  return index >= 1 && index <= count() ? lines_[static_cast<size_t>(index - 1)].lineNumber : -1;
}

int32_t ScriptLines::fileIndex(int index) const {
  return index >= 1 && index <= count() ? lines_[static_cast<size_t>(index - 1)].fileIndex : -1;
}

const String& ScriptLines::lineText(int index) const {
  return index >= 1 && index <= count() ? lines_[static_cast<size_t>(index - 1)].text : kEmpty;
}

const String& ScriptLines::fileName(int fileIndex) const {
  return fileIndex >= 0 && fileIndex < static_cast<int>(files_.size()) ? files_[static_cast<size_t>(fileIndex)].path
                                                                          : kEmpty;
}

}  // namespace vx

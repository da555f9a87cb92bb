#include "builtins/files/file_paths.h"

#include <shellapi.h>

#include "platform/file.h"

namespace vx {

namespace {

bool isRoot(const std::wstring& path) { return path.size() == 3 && path[1] == L':' && path[2] == L'\\'; }

void splitExtension(const std::wstring& fileName, std::wstring& name, std::wstring& extension) {
  const size_t dot = fileName.rfind(L'.');
  if (dot == std::wstring::npos) {
    name = fileName;
    extension.clear();
  } else {
    name = fileName.substr(0, dot);
    extension = fileName.substr(dot + 1);
  }
}

std::wstring fillFromSource(const std::wstring& part, const std::wstring& source) {
  const size_t star = part.find(L'*');
  if (star == std::wstring::npos) return part;
  std::wstring result = part.substr(0, star) + source;
  for (size_t i = star + 1; i < part.size(); ++i)
    if (part[i] != L'*') result += part[i];
  return result;
}

std::wstring volumeOf(const std::wstring& path) {
  if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
  return directoryPart(path);
}

}  // namespace

bool makeFullPath(const std::wstring& path, std::wstring& full) {
  if (path.empty() || path.size() > kMaxPathLength) return false;
  wchar_t buffer[kMaxPathLength + 1];
  const DWORD n = GetFullPathNameW(path.c_str(), kMaxPathLength + 1, buffer, nullptr);
  if (n == 0 || n > kMaxPathLength) return false;
  full.assign(buffer, n);
  if (full.size() > 1 && full.back() == L'\\' && !isRoot(full)) full.pop_back();
  return true;
}

std::wstring fullPathOrAsGiven(const std::wstring& path) {
  std::wstring full;
  return makeFullPath(path, full) ? full : path;
}

bool isDirectory(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool pathExists(const std::wstring& path) {
  if (path.empty()) return false;
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  return FindHandle(path).found();
}

bool sameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

bool onDifferentVolumes(const std::wstring& a, const std::wstring& b) {
  return !sameIgnoringCase(volumeOf(a), volumeOf(b));
}

bool isWithin(const std::wstring& inner, const std::wstring& outer) {
  if (sameIgnoringCase(inner, outer)) return true;
  std::wstring prefix = outer;
  if (prefix.empty() || prefix.back() != L'\\') prefix += L'\\';
  return inner.size() > prefix.size() && sameIgnoringCase(inner.substr(0, prefix.size()), prefix);
}

std::wstring directoryPart(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\/:");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

std::wstring lastComponent(const std::wstring& path) { return path.substr(directoryPart(path).size()); }

std::wstring childPath(const std::wstring& directory, const std::wstring& name) {
  if (directory.empty() || directory.back() == L'\\') return directory + name;
  return directory + L'\\' + name;
}

std::wstring destinationName(const std::wstring& pattern, const std::wstring& sourceName) {
  if (pattern.find(L'*') == std::wstring::npos) return pattern;
  const std::wstring directory = directoryPart(pattern);
  std::wstring patternName, patternExtension, name, extension;
  splitExtension(pattern.substr(directory.size()), patternName, patternExtension);
  splitExtension(sourceName, name, extension);
  std::wstring builtName = fillFromSource(patternName, name);
  std::wstring builtExtension = fillFromSource(patternExtension, extension);
  if (builtExtension.empty()) builtExtension = extension;
  std::wstring result = directory + builtName;
  if (!builtExtension.empty()) result += L'.' + builtExtension;
  return result;
}

bool createDirectoryPath(const std::wstring& path) {
  uint32_t error = 0;
  return platform::createDirectories(stringOf(path), error);
}

bool isDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

bool findNames(const std::wstring& pattern, std::vector<FoundName>& names, DWORD& error) {
  names.clear();
  FindHandle search(pattern);
  if (!search.found()) {
    error = GetLastError();
    return false;
  }
  do {
    const WIN32_FIND_DATAW& data = search.data();
    if (!isDotEntry(data.cFileName)) names.push_back({data.cFileName, data.dwFileAttributes});
  } while (search.next());
  error = names.empty() ? ERROR_FILE_NOT_FOUND : 0;
  return !names.empty();
}

bool shellOperation(UINT operation, const std::wstring& from, const std::wstring& to, FILEOP_FLAGS flags) {
  // Both lists end in two zeros: one after the path, one after the list.
  const std::wstring fromList = from + L'\0';
  const std::wstring toList = to + L'\0';
  SHFILEOPSTRUCTW op{};
  op.wFunc = operation;
  op.pFrom = fromList.c_str();
  op.pTo = to.empty() ? nullptr : toList.c_str();
  op.fFlags = flags;
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

}  // namespace vx

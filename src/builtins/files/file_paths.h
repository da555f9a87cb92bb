// The path rules every file-system built-in shares: full paths, what counts
// as existing or as a directory, volumes, the names a wildcard destination
// gives, and the shell's file operations.
//
// Paths are wide strings here, so they go to Win32 without conversions in
// between. A full path never ends in a backslash except a drive's root
// ("C:\"), which needs it to mean the root rather than the drive's current
// directory.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "builtins/files/file_arguments.h"

namespace vx {

constexpr size_t kMaxPathLength = MAX_PATH;

// False when the path is empty or longer than paths may be.
bool makeFullPath(const std::wstring& path, std::wstring& full);
// The full path, or the path as given when it cannot be made full.
std::wstring fullPathOrAsGiven(const std::wstring& path);

bool isDirectory(const std::wstring& path);
// Exists as a name, or as a wildcard pattern that matches something.
bool pathExists(const std::wstring& path);
bool sameIgnoringCase(const std::wstring& a, const std::wstring& b);
// Different drive parts, or for paths without a drive, different directories.
bool onDifferentVolumes(const std::wstring& a, const std::wstring& b);
// `inner` is `outer` or lies somewhere below it.
bool isWithin(const std::wstring& inner, const std::wstring& outer);

// The drive and directory part, up to and including the last backslash; ""
// for a bare name.
std::wstring directoryPart(const std::wstring& path);
std::wstring lastComponent(const std::wstring& path);
// `name` inside `directory`, with one backslash between them.
std::wstring childPath(const std::wstring& directory, const std::wstring& name);
// The name `pattern` gives to `sourceName` (a name without directory): each
// of its name and extension parts takes the source's part in place of its
// first "*"; further stars are dropped, and an empty extension keeps the
// source's.
std::wstring destinationName(const std::wstring& pattern, const std::wstring& sourceName);

// The directory and every missing parent; true when it exists afterwards.
bool createDirectoryPath(const std::wstring& path);

// Names matched by a pattern, "." and ".." left out; collected before any is
// acted on, so renaming or copying into the searched directory never feeds
// the search its own results.
struct FoundName {
  std::wstring name;
  DWORD attributes;
};
// False (with the system's code in `error`) when nothing matched.
bool findNames(const std::wstring& pattern, std::vector<FoundName>& names, DWORD& error);

// The shell's copy, move and delete over one path each side.
constexpr FILEOP_FLAGS kShellQuietFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
constexpr FILEOP_FLAGS kShellRecycleFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
bool shellOperation(UINT operation, const std::wstring& from, const std::wstring& to, FILEOP_FLAGS flags);

// A FindFirstFileW search, closed when it goes out of scope.
class FindHandle {
 public:
  explicit FindHandle(const std::wstring& pattern) : handle_(FindFirstFileW(pattern.c_str(), &data_)) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  bool found() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool next() { return FindNextFileW(handle_, &data_) != 0; }
  const WIN32_FIND_DATAW& data() const { return data_; }

 private:
  WIN32_FIND_DATAW data_{};
  HANDLE handle_;
};

bool isDotEntry(const wchar_t* name);

inline int64_t sizeOf(const WIN32_FIND_DATAW& data) {
  return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// A system handle from CreateFileW, closed when it goes out of scope.
class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  ~UniqueHandle() {
    if (valid()) CloseHandle(h_);
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

 private:
  HANDLE h_;
};

}  // namespace vx

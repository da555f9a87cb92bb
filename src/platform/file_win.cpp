#include <windows.h>

#include <string>

#include "platform/file.h"

namespace vx::platform {

namespace {

const wchar_t* wide(const String& s) { return reinterpret_cast<const wchar_t*>(s.data()); }

}  // namespace

File::~File() { close(); }

bool File::open(const String& path, FileAccess access, FileDisposition disposition) {
  close();
  const DWORD rights = access == FileAccess::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  DWORD create = OPEN_EXISTING;
  if (disposition == FileDisposition::OpenAlways) create = OPEN_ALWAYS;
  if (disposition == FileDisposition::CreateAlways) create = CREATE_ALWAYS;
  HANDLE h = CreateFileW(wide(path), rights, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, create,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    lastError_ = GetLastError();
    return false;
  }
  lastError_ = 0;
  handle_ = reinterpret_cast<intptr_t>(h);
  return true;
}

void File::close() {
  if (handle_ != kNoHandle) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kNoHandle;
}

long long File::read(void* buffer, size_t size) {
  DWORD got = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(size), &got, nullptr)) return -1;
  return got;
}

bool File::write(const void* bytes, size_t size) {
  if (size > MAXDWORD) return false;
  DWORD written = 0;
  if (!WriteFile(reinterpret_cast<HANDLE>(handle_), bytes, static_cast<DWORD>(size), &written, nullptr)) return false;
  return written == size;
}

int64_t File::seek(int64_t offset, SeekOrigin origin) {
  LARGE_INTEGER move;
  move.QuadPart = offset;
  LARGE_INTEGER now;
  if (!SetFilePointerEx(reinterpret_cast<HANDLE>(handle_), move, &now, static_cast<DWORD>(origin))) return -1;
  return now.QuadPart;
}

int64_t File::size() {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(reinterpret_cast<HANDLE>(handle_), &size)) return -1;
  return size.QuadPart;
}

bool File::flush() { return FlushFileBuffers(reinterpret_cast<HANDLE>(handle_)) != 0; }

bool directoryExists(const String& path) {
  DWORD attributes = GetFileAttributesW(wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// Creates one directory after its missing parents, walking up only as far
// as the system reports a missing parent. 0 or the system's error code.
DWORD createDirectoryLevel(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : static_cast<DWORD>(ERROR_ALREADY_EXISTS);
  DWORD error = GetLastError();
  if (error == ERROR_PATH_NOT_FOUND) {
    const size_t cut = path.rfind(L'\\');
    if (cut == std::wstring::npos || cut == 0) return error;
    error = createDirectoryLevel(path.substr(0, cut));
    if (error != 0) return error;
  } else if (error != ERROR_FILE_NOT_FOUND) {
    return error;
  }
  if (CreateDirectoryW(path.c_str(), nullptr)) return 0;
  error = GetLastError();
  // Made meanwhile by someone else is as good as made.
  const DWORD now = GetFileAttributesW(path.c_str());
  if (now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  return error;
}

}  // namespace

bool createDirectories(const String& path, uint32_t& error) {
  error = 0;
  if (path.empty()) return true;
  wchar_t full[MAX_PATH + 1];
  const DWORD n = path.length() <= MAX_PATH ? GetFullPathNameW(wide(path), MAX_PATH + 1, full, nullptr) : 0;
  if (n == 0 || n > MAX_PATH) {
    error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  std::wstring target(full, n);
  // A drive's root keeps its backslash: without it "C:" is the drive's
  // current directory.
  if (target.size() > 3 && target.back() == L'\\') target.pop_back();
  error = createDirectoryLevel(target);
  return error == 0;
}

}  // namespace vx::platform

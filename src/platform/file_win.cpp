#include <windows.h>

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

bool createDirectories(const String& path, uint32_t& error) {
  error = 0;
  if (path.empty() || directoryExists(path)) return true;
  // Each prefix ending before a separator is one level; the drive or share
  // prefixes fail to create but already exist, so only the last error counts.
  String prefix;
  for (size_t i = 0; i <= path.length(); ++i) {
    if (i == path.length() || path[i] == u'\\' || path[i] == u'/') {
      if (!prefix.empty() && !directoryExists(prefix) && !CreateDirectoryW(wide(prefix), nullptr)) {
        DWORD code = GetLastError();
        if (code != ERROR_ALREADY_EXISTS) error = code;
      }
    }
    if (i < path.length()) prefix.append(path[i]);
  }
  if (directoryExists(path)) return true;
  if (error == 0) error = ERROR_PATH_NOT_FOUND;
  return false;
}

}  // namespace vx::platform

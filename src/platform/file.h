// A file opened for reading and writing by handle, shared for reading,
// writing and deleting. Every write is one system call and nothing is
// buffered here, so what was written is with the system when write returns.
#pragma once

#include <cstddef>
#include <cstdint>

#include "values/string.h"

namespace vx::platform {

enum class FileAccess { Read, ReadWrite };
enum class FileDisposition {
  OpenExisting,  // fails when the file is missing
  OpenAlways,    // creates a missing file, keeps an existing one
  CreateAlways,  // creates or truncates
};
enum class SeekOrigin { Start = 0, Current = 1, End = 2 };

class File {
 public:
  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // False on failure; lastError() then holds the system's error code.
  bool open(const String& path, FileAccess access, FileDisposition disposition);
  void close();
  bool isOpen() const { return handle_ != kNoHandle; }
  uint32_t lastError() const { return lastError_; }

  // Bytes read, 0 at the end of the file, -1 on an error.
  long long read(void* buffer, size_t size);
  // True only when every byte was written.
  bool write(const void* bytes, size_t size);
  // The new position from the start, or -1 when the move is refused.
  int64_t seek(int64_t offset, SeekOrigin origin);
  int64_t size();
  bool flush();

 private:
  static constexpr intptr_t kNoHandle = -1;
  intptr_t handle_ = kNoHandle;
  uint32_t lastError_ = 0;
};

// Creates every missing directory of a path; true when the directory exists
// afterwards. On failure `error` receives the system's error code.
bool createDirectories(const String& path, uint32_t& error);
bool directoryExists(const String& path);

}  // namespace vx::platform

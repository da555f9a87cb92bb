#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/file.h"

namespace vx::platform {

File::~File() { close(); }

bool File::open(const String& path, FileAccess access, FileDisposition disposition) {
  close();
  int flags = access == FileAccess::Read ? O_RDONLY : O_RDWR;
  if (disposition == FileDisposition::OpenAlways) flags |= O_CREAT;
  if (disposition == FileDisposition::CreateAlways) flags |= O_CREAT | O_TRUNC;
  int fd = ::open(path.toUtf8().c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) {
    lastError_ = static_cast<uint32_t>(errno);
    return false;
  }
  lastError_ = 0;
  handle_ = fd;
  return true;
}

void File::close() {
  if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
  handle_ = kNoHandle;
}

long long File::read(void* buffer, size_t size) { return ::read(static_cast<int>(handle_), buffer, size); }

bool File::write(const void* bytes, size_t size) {
  const char* p = static_cast<const char*>(bytes);
  while (size > 0) {
    ssize_t n = ::write(static_cast<int>(handle_), p, size);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

int64_t File::seek(int64_t offset, SeekOrigin origin) {
  int whence = origin == SeekOrigin::Start ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
  off_t now = lseek(static_cast<int>(handle_), static_cast<off_t>(offset), whence);
  return now < 0 ? -1 : static_cast<int64_t>(now);
}

int64_t File::size() {
  struct stat info;
  if (fstat(static_cast<int>(handle_), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool File::flush() { return fsync(static_cast<int>(handle_)) == 0; }

bool directoryExists(const String& path) {
  struct stat info;
  return stat(path.toUtf8().c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool createDirectories(const String& path, uint32_t& error) {
  error = 0;
  const std::string name = path.toUtf8();
  for (size_t i = 1; i <= name.size(); ++i) {
    if (i < name.size() && name[i] != '/') continue;
    std::string prefix = name.substr(0, i);
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) error = static_cast<uint32_t>(errno);
  }
  if (directoryExists(path)) return true;
  if (error == 0) error = ENOENT;
  return false;
}

}  // namespace vx::platform

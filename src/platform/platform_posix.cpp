// POSIX side of the platform interface, for the native build that runs the
// portable core under sanitizers and benchmarks. Windows-only services answer
// plainly (no registry, no dialogs) and error boxes go to standard error.
#include "platform/platform.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace vx::platform {

namespace {

std::string narrow(const String& s) { return s.toUtf8(); }

String fromNarrow(const std::string& s) { return String::fromUtf8(s.data(), s.size()); }

// Windows-1252, the ANSI code page of the Windows systems we run on, for the
// 0x80-0x9F range; the rest of the code page equals Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

ReadableFile::~ReadableFile() { close(); }

bool ReadableFile::open(const String& path) {
  close();
  int fd = ::open(narrow(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

long long ReadableFile::read(void* buffer, size_t size) {
  ssize_t n = ::read(static_cast<int>(handle_), buffer, size);
  return n < 0 ? -1 : n;
}

void ReadableFile::close() {
  if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
  handle_ = kNoHandle;
}

bool fileExists(const String& path) {
  struct stat info;
  return stat(narrow(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool samePath(const String& a, const String& b) { return a == b; }

String fullPath(const String& path) {
  if (path.empty()) return currentDirectory();
  std::string p = narrow(path);
  if (p[0] != '/') p = narrow(currentDirectory()) + "/" + p;
  // Fold "." and ".." lexically, as GetFullPathName does, without touching the disk.
  std::string out;
  size_t i = 0;
  while (i < p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string part = p.substr(i, j - i);
    if (part == "..") {
      size_t cut = out.rfind('/');
      out.erase(cut == std::string::npos ? 0 : cut);
    } else if (!part.empty() && part != ".") {
      out += "/" + part;
    }
    i = j + 1;
  }
  if (!p.empty() && p.back() == '/') out += "/";
  return fromNarrow(out.empty() ? "/" : out);
}

String currentDirectory() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? fromNarrow(buffer) : String();
}

bool setCurrentDirectory(const String& path) { return chdir(narrow(path).c_str()) == 0; }

String executablePath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? fromNarrow(std::string(buffer, static_cast<size_t>(n))) : String();
}

String normaliseThroughShell(const String& path) { return path; }

bool readIncludePathSetting(String& value) {
  const char* setting = getenv("VEXLET_INCLUDE");  // stands in for the registry value
  if (!setting) return false;
  value = fromNarrow(setting);
  return true;
}

String ansiToUtf16(const char* bytes, size_t count) {
  String result;
  result.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    result.append(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
  }
  return result;
}

std::string utf16ToAnsi(const String& text) {
  std::string out;
  out.reserve(text.length());
  for (size_t i = 0; i < text.length(); ++i) {
    char16_t c = text[i];
    char byte = '?';
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      byte = static_cast<char>(c);
    } else {
      for (int k = 0; k < 32; ++k)
        if (kCp1252High[k] == c) byte = static_cast<char>(0x80 + k);
    }
    out += byte;
  }
  return out;
}

int compareTextIgnoringCase(const String& a, const String& b) {
  // Folds ASCII and Latin-1 letters; enough for the native test build.
  auto fold = [](char16_t c) -> char16_t {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
    return c;
  };
  size_t n = a.length() < b.length() ? a.length() : b.length();
  for (size_t i = 0; i < n; ++i) {
    char16_t x = fold(a[i]), y = fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.length() == b.length() ? 0 : (a.length() < b.length() ? -1 : 1);
}

void writeStandardOutput(const String& text) {
  std::string bytes = utf16ToAnsi(text);
  fwrite(bytes.data(), 1, bytes.size(), stdout);
  fflush(stdout);
}

void showErrorBox(const String& text, const String& title, uintptr_t) {
  std::string out = "[" + title.toUtf8() + "]\n" + text.toUtf8() + "\n";
  fwrite(out.data(), 1, out.size(), stderr);
}

long long writeStream(Stream stream, const void* bytes, size_t count) {
  FILE* f = stream == Stream::Output ? stdout : stderr;
  size_t n = fwrite(bytes, 1, count, f);
  fflush(f);
  return static_cast<long long>(n);
}

void debugOutput(const String&) {}

bool isWindow(uintptr_t) { return false; }

void beep(int, int) {}

void memoryStatus(double stats[7]) {
  long pages = sysconf(_SC_PHYS_PAGES), free = sysconf(_SC_AVPHYS_PAGES), size = sysconf(_SC_PAGESIZE);
  stats[1] = static_cast<double>(pages) * size / 1024;
  stats[2] = static_cast<double>(free) * size / 1024;
  stats[0] = pages > 0 ? 100.0 * static_cast<double>(pages - free) / static_cast<double>(pages) : 0;
}

uint32_t milliseconds() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint32_t>(static_cast<uint64_t>(t.tv_sec) * 1000 + static_cast<uint64_t>(t.tv_nsec) / 1000000);
}

void sleepMilliseconds(unsigned ms) { usleep(ms * 1000); }

bool performanceCounter(int64_t& value) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  value = static_cast<int64_t>(t.tv_sec) * 10000000 + t.tv_nsec / 100;
  return true;
}

int64_t performanceFrequency() { return 10000000; }

bool isAdministrator() { return geteuid() == 0; }

void relaunchElevated(const String&, const String&) {
  fputs("vexlet: this script requires administrator rights\n", stderr);
}

bool askForScriptFile(String&) {
  fputs("vexlet: no script file given\n", stderr);
  return false;
}

}  // namespace vx::platform

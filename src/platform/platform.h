// The narrow interface between the portable core and the operating system.
// The core (values, lexer, source reading, engine) calls only what is declared
// here; platform_win.cpp implements it with Win32, platform_posix.cpp with
// POSIX for the native test and benchmark build.
#pragma once

#include <cstddef>
#include <cstdint>

#include "values/string.h"

namespace vx::platform {

#ifdef _WIN32
constexpr char16_t kPathSeparator = u'\\';
#else
constexpr char16_t kPathSeparator = u'/';
#endif

inline bool isPathSeparator(char16_t c) {
#ifdef _WIN32
  return c == u'\\' || c == u'/';
#else
  return c == u'/';
#endif
}

// A file opened for reading, shared for reading, writing and deleting, so a
// script can be read while an editor holds it open.
class ReadableFile {
 public:
  ReadableFile() = default;
  ~ReadableFile();
  ReadableFile(const ReadableFile&) = delete;
  ReadableFile& operator=(const ReadableFile&) = delete;

  bool open(const String& path);
  // Bytes read, 0 at the end of the file, -1 on an error.
  long long read(void* buffer, size_t size);
  void close();
  bool isOpen() const { return handle_ != kNoHandle; }

 private:
  static constexpr intptr_t kNoHandle = -1;
  intptr_t handle_ = kNoHandle;
};

bool fileExists(const String& path);
// Whether two full paths name the same file as the file system compares names
// (without regard to case on Windows).
bool samePath(const String& a, const String& b);
String fullPath(const String& path);
String currentDirectory();
bool setCurrentDirectory(const String& path);
String executablePath();

// Turns a full path into the form the shell namespace gives it (long names,
// canonical case); returns the path unchanged when the shell cannot parse it.
String normaliseThroughShell(const String& path);

// The include search path kept under the current user's registry key; false
// when the key or value is absent.
bool readIncludePathSetting(String& value);

// Text in the system's ANSI code page to UTF-16 (precomposed) and back.
String ansiToUtf16(const char* bytes, size_t count);
std::string utf16ToAnsi(const String& text);

// The user's locale comparison of two texts, ignoring case: <0, 0 or >0.
int compareTextIgnoringCase(const String& a, const String& b);

// Error output: standard output as ANSI text, unchanged line ends.
void writeStandardOutput(const String& text);
// The error message box: error icon, system-modal, brought to the foreground.
// `owner` is a native window handle or 0.
void showErrorBox(const String& text, const String& title, uintptr_t owner);
enum class Stream { Output, Error };
// Writes bytes unchanged to standard output or error and flushes; the count
// written, or -1.
long long writeStream(Stream stream, const void* bytes, size_t count);
// A copy of console output for a debugger.
void debugOutput(const String& text);
bool isWindow(uintptr_t handle);
void beep(int frequency, int duration);
// Memory load in percent, then total/available physical, page file and
// virtual memory in KB.
void memoryStatus(double stats[7]);

// The high-resolution counter and its ticks per second; false/0 when absent.
bool performanceCounter(int64_t& value);
int64_t performanceFrequency();

// A millisecond clock (wraps after 49.7 days; compare differences).
uint32_t milliseconds();
void sleepMilliseconds(unsigned milliseconds);

// Whether the process runs with administrator rights.
bool isAdministrator();
// Starts this executable again through the shell's "runas" verb.
void relaunchElevated(const String& parameters, const String& directory);

// Asks the user for a script to run; false when cancelled.
bool askForScriptFile(String& path);

}  // namespace vx::platform

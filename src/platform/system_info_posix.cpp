// Plain answers to the system queries for the native build: the clock and
// the environment are real, Windows-only facts are fixed or empty.
#include "platform/system_info.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <ctime>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace vx::platform {

namespace {

String fromEnvironment(const char* name) {
  const char* value = getenv(name);
  return value ? String::fromUtf8(value, strlen(value)) : String();
}

String homeSubfolder(const char* name) {
  String path = fromEnvironment("HOME");
  if (path.empty()) return path;
  path.append(u'/');
  path.appendAscii(name);
  return path;
}

}  // namespace

LocalTime localTime() {
  timeval now = {};
  gettimeofday(&now, nullptr);
  time_t seconds = now.tv_sec;
  tm parts = {};
  localtime_r(&seconds, &parts);
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour,        parts.tm_min,     parts.tm_sec,
                   static_cast<int>(now.tv_usec / 1000), parts.tm_wday, parts.tm_yday + 1};
}

String specialFolder(SpecialFolder folder) {
  switch (folder) {
    case SpecialFolder::MyDocuments: return homeSubfolder("Documents");
    case SpecialFolder::Desktop: return homeSubfolder("Desktop");
    case SpecialFolder::AppData: return homeSubfolder(".config");
    default: return String();
  }
}

String computerName() {
  char name[256] = {};
  if (gethostname(name, sizeof(name) - 1) != 0) return String();
  return String::fromUtf8(name, strlen(name));
}

String userName() {
  String name = fromEnvironment("USER");
  return name.empty() ? fromEnvironment("LOGNAME") : name;
}

String windowsDirectory() { return String(); }
String systemDirectory() { return String::fromAscii("/usr/lib"); }

String tempDirectory() {
  String path = fromEnvironment("TMPDIR");
  if (path.empty()) path = String::fromAscii("/tmp");
  size_t length = path.length();
  if (length > 1 && path[length - 1] == u'/') path = path.substr(0, length - 1);
  return path;
}

String environmentVariable(const char* name) { return fromEnvironment(name); }

OsVersion osVersion() { return OsVersion(); }
String osLanguage() { return String(); }
String muiLanguage() { return String::fromAscii("0000"); }

String processorArchitecture() {
#if defined(__x86_64__)
  return String::fromAscii("X64");
#elif defined(__i386__)
  return String::fromAscii("X86");
#else
  return String::fromAscii("UNKNOWN");
#endif
}

bool processorHasLongMode() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx)) return false;
  return (edx & (1u << 29)) != 0;
#else
  return false;
#endif
}

String keyboardLayoutName() { return String::fromAscii("00000409"); }

String ipAddress(int n) {
  char host[256] = {};
  if (gethostname(host, sizeof(host) - 1) != 0) return String();
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &list) != 0) return String();
  String result = String::fromAscii("0.0.0.0");
  int index = 0;
  for (addrinfo* entry = list; entry; entry = entry->ai_next) {
    if (++index != n) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
    if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof(text))) result = String::fromAscii(text);
    break;
  }
  freeaddrinfo(list);
  return result;
}

DesktopMetrics desktopMetrics() { return DesktopMetrics(); }

uint32_t processId() { return static_cast<uint32_t>(getpid()); }

}  // namespace vx::platform

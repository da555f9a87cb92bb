// What the macros read from the running system: clock, folders, names,
// version, hardware and network facts. Every query answers something even
// when the system call fails ("" or 0), because a macro never fails.
// system_info_win.cpp answers with Win32; system_info_posix.cpp gives plain
// answers for the native build.
#pragma once

#include <cstdint>

#include "values/string.h"

namespace vx::platform {

struct LocalTime {
  int year;
  int month;        // 1 to 12
  int day;          // 1 to 31
  int hour;
  int minute;
  int second;
  int millisecond;
  int weekday;      // 0 Sunday to 6
  int yearDay;      // 1 to 366
};
LocalTime localTime();

// The shell folders the macros name, in the order of their macros.
enum class SpecialFolder {
  ProgramFiles,
  CommonFiles,
  MyDocuments,
  AppDataCommon,
  DesktopCommon,
  DocumentsCommon,
  FavoritesCommon,
  ProgramsCommon,
  StartMenuCommon,
  StartupCommon,
  AppData,
  Desktop,
  Favorites,
  Programs,
  StartMenu,
  Startup,
};
String specialFolder(SpecialFolder folder);

String computerName();
String userName();
String windowsDirectory();
// The directory of system libraries that this process loads from (the
// 32-bit one for a 32-bit process on 64-bit Windows).
String systemDirectory();
// Without a trailing separator.
String tempDirectory();
// "" when the variable is not set; at most 260 characters.
String environmentVariable(const char* name);

struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  bool server = false;
  bool embedded = false;
  String servicePack;  // surrounding spaces removed
};
OsVersion osVersion();
// The install language and the user interface language as 4 hex digits
// ("" and "0000" when they cannot be read).
String osLanguage();
String muiLanguage();

// The system's processor architecture: "X86", "IA64", "X64" or "UNKNOWN".
String processorArchitecture();
// Whether the processor can run 64-bit code, whatever the system is.
bool processorHasLongMode();
String keyboardLayoutName();

// The n-th (1-based) IPv4 address of the local host name in dotted form;
// "0.0.0.0" when it has fewer, "" when the lookup fails.
String ipAddress(int n);

struct DesktopMetrics {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;
  int32_t refresh = 0;
};
DesktopMetrics desktopMetrics();

uint32_t processId();

}  // namespace vx::platform

// Win32 side of the system queries behind the macros.
#include "platform/system_info.h"

#include <winsock2.h>
#include <windows.h>
#include <shlobj.h>

#include <cpuid.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace vx::platform {

namespace {

String fromWide(const wchar_t* text, size_t length) {
  return String(reinterpret_cast<const char16_t*>(text), length);
}

String fromWide(const wchar_t* text) { return fromWide(text, wcslen(text)); }

// Calls `fill(buffer, capacity)` with growing buffers until the result fits;
// `fill` returns the length written, or the capacity needed when too small.
template <typename Fill>
String withGrowingBuffer(Fill fill) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (;;) {
    DWORD n = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return String();
    if (n < buffer.size()) return fromWide(buffer.data(), n);
    buffer.resize(static_cast<size_t>(n) + 1);
  }
}

class RegistryKey {
 public:
  RegistryKey(HKEY root, const wchar_t* path) {
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RegistryKey() {
    if (key_) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The library must be started for each lookup and stopped after it, so no
// socket state outlives the macro read.
class WinsockSession {
 public:
  WinsockSession() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
  }
  ~WinsockSession() {
    if (started_) WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  bool started() const { return started_; }

 private:
  bool started_ = false;
};

bool runsUnderWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
  BOOL wow64 = FALSE;
  return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace

LocalTime localTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  static const int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int year = now.wYear;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int month = now.wMonth >= 1 && now.wMonth <= 12 ? now.wMonth : 1;
  int yearDay = kDaysBefore[month - 1] + now.wDay + (leap && month > 2 ? 1 : 0);
  return LocalTime{year, month, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                   now.wDayOfWeek, yearDay};
}

String specialFolder(SpecialFolder folder) {
  static const int kFolderIds[] = {
      CSIDL_PROGRAM_FILES,   CSIDL_PROGRAM_FILES_COMMON,   CSIDL_PERSONAL,        CSIDL_COMMON_APPDATA,
      CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_FAVORITES, CSIDL_COMMON_PROGRAMS,
      CSIDL_COMMON_STARTMENU, CSIDL_COMMON_STARTUP,        CSIDL_APPDATA,         CSIDL_DESKTOPDIRECTORY,
      CSIDL_FAVORITES,       CSIDL_PROGRAMS,               CSIDL_STARTMENU,       CSIDL_STARTUP,
  };
  wchar_t buffer[MAX_PATH + 1] = {};
  if (SHGetFolderPathW(nullptr, kFolderIds[static_cast<int>(folder)], nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK)
    return String();
  return fromWide(buffer);
}

String computerName() {
  wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(buffer, &size) ? fromWide(buffer, size) : String();
}

String userName() {
  wchar_t buffer[257] = {};
  DWORD size = 257;
  return GetUserNameW(buffer, &size) ? fromWide(buffer) : String();
}

String windowsDirectory() {
  return withGrowingBuffer([](wchar_t* b, DWORD n) { return GetWindowsDirectoryW(b, n); });
}

String systemDirectory() {
  if (runsUnderWow64())
    return withGrowingBuffer([](wchar_t* b, DWORD n) { return GetSystemWow64DirectoryW(b, n); });
  return withGrowingBuffer([](wchar_t* b, DWORD n) { return GetSystemDirectoryW(b, n); });
}

String tempDirectory() {
  String path = withGrowingBuffer([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); });
  size_t length = path.length();
  if (length > 0 && (path[length - 1] == u'\\' || path[length - 1] == u'/')) path = path.substr(0, length - 1);
  return path;
}

String environmentVariable(const char* name) {
  std::wstring wideName(name, name + strlen(name));
  return withGrowingBuffer([&](wchar_t* b, DWORD n) { return GetEnvironmentVariableW(wideName.c_str(), b, n); });
}

OsVersion osVersion() {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  OsVersion result;
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return result;
  result.major = info.dwMajorVersion;
  result.minor = info.dwMinorVersion;
  result.build = info.dwBuildNumber;
  result.server = info.wProductType != VER_NT_WORKSTATION;
  result.embedded = (info.wSuiteMask & VER_SUITE_EMBEDDEDNT) != 0;
  const wchar_t* text = info.szCSDVersion;
  size_t length = wcsnlen(text, sizeof(info.szCSDVersion) / sizeof(wchar_t));
  while (length > 0 && text[0] == L' ') ++text, --length;
  while (length > 0 && text[length - 1] == L' ') --length;
  result.servicePack = fromWide(text, length);
  return result;
}

String osLanguage() {
  RegistryKey key(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Language");
  if (!key.get()) return String();
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key.get(), L"InstallLanguage", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return String();
  size_t units = bytes / sizeof(wchar_t);
  while (units > 0 && buffer[units - 1] == L'\0') --units;
  return fromWide(buffer, units);
}

String muiLanguage() {
  unsigned value = 0;
  RegistryKey key(HKEY_CURRENT_USER, L"Control Panel\\Appearance");
  BYTE data[64] = {};
  DWORD bytes = sizeof(data);
  if (key.get() && RegQueryValueExW(key.get(), L"SchemeLangID", nullptr, nullptr, data, &bytes) == ERROR_SUCCESS &&
      bytes >= 2)
    value = static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8;
  char text[8];
  snprintf(text, sizeof(text), "%04X", value);
  return String::fromAscii(text);
}

String processorArchitecture() {
  SYSTEM_INFO info = {};
  using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  auto getNative = reinterpret_cast<GetNativeSystemInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo")));
  if (runsUnderWow64() && getNative)
    getNative(&info);
  else
    GetSystemInfo(&info);
  switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: return String::fromAscii("X86");
    case PROCESSOR_ARCHITECTURE_IA64: return String::fromAscii("IA64");
    case PROCESSOR_ARCHITECTURE_AMD64: return String::fromAscii("X64");
    default: return String::fromAscii("UNKNOWN");
  }
}

bool processorHasLongMode() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx)) return false;
  return (edx & (1u << 29)) != 0;
}

String keyboardLayoutName() {
  wchar_t buffer[KL_NAMELENGTH] = {};
  return GetKeyboardLayoutNameW(buffer) ? fromWide(buffer) : String();
}

String ipAddress(int n) {
  WinsockSession session;
  if (!session.started()) return String();
  char host[256] = {};
  if (gethostname(host, sizeof(host)) != 0) return String();
  hostent* entry = gethostbyname(host);
  if (!entry || entry->h_addrtype != AF_INET) return String();
  for (int i = 0; i < n; ++i) {
    if (!entry->h_addr_list[i]) return String::fromAscii("0.0.0.0");
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(entry->h_addr_list[n - 1]);
  char text[16];
  snprintf(text, sizeof(text), "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
  return String::fromAscii(text);
}

DesktopMetrics desktopMetrics() {
  DesktopMetrics metrics;
  RECT rect = {};
  if (GetWindowRect(GetDesktopWindow(), &rect)) {
    metrics.width = rect.right;
    metrics.height = rect.bottom;
  }
  if (HDC dc = GetDC(nullptr)) {
    metrics.depth = GetDeviceCaps(dc, BITSPIXEL);
    metrics.refresh = GetDeviceCaps(dc, VREFRESH);
    ReleaseDC(nullptr, dc);
  }
  return metrics;
}

uint32_t processId() { return GetCurrentProcessId(); }

}  // namespace vx::platform

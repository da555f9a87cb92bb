// Win32 side of the platform interface.
#include "platform/platform.h"

#include <windows.h>
#include <mmsystem.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shellapi.h>
#include <winsvc.h>

#include <string>

namespace vx::platform {

namespace {

const wchar_t* wide(const String& s) { return reinterpret_cast<const wchar_t*>(s.data()); }

String fromWide(const wchar_t* text, size_t length) {
  return String(reinterpret_cast<const char16_t*>(text), length);
}

String fromWide(const wchar_t* text) { return fromWide(text, wcslen(text)); }

// Calls `fill(buffer, capacity)` with growing buffers until the result fits.
template <typename Fill>
String withGrowingBuffer(Fill fill) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return String();
    if (n < buffer.size()) return fromWide(buffer.data(), n);
    buffer.resize(static_cast<size_t>(n) + 1);
  }
}

}  // namespace

ReadableFile::~ReadableFile() { close(); }

bool ReadableFile::open(const String& path) {
  close();
  HANDLE h = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<intptr_t>(h);
  return true;
}

long long ReadableFile::read(void* buffer, size_t size) {
  DWORD got = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(size), &got, nullptr)) return -1;
  return got;
}

void ReadableFile::close() {
  if (handle_ != kNoHandle) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kNoHandle;
}

bool fileExists(const String& path) {
  DWORD attributes = GetFileAttributesW(wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool samePath(const String& a, const String& b) {
  return CompareStringOrdinal(wide(a), static_cast<int>(a.length()), wide(b), static_cast<int>(b.length()), TRUE) ==
         CSTR_EQUAL;
}

String fullPath(const String& path) {
  String result = withGrowingBuffer([&](wchar_t* b, DWORD n) { return GetFullPathNameW(wide(path), n, b, nullptr); });
  return result.empty() ? path : result;
}

String currentDirectory() {
  return withGrowingBuffer([](wchar_t* b, DWORD n) { return GetCurrentDirectoryW(n, b); });
}

bool setCurrentDirectory(const String& path) { return SetCurrentDirectoryW(wide(path)) != 0; }

String executablePath() {
  return withGrowingBuffer([](wchar_t* b, DWORD n) {
    DWORD got = GetModuleFileNameW(nullptr, b, n);
    return got == n ? n + 1 : got;  // a full buffer means the name was cut
  });
}

String normaliseThroughShell(const String& path) {
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return path;
  String result = path;
  std::wstring name(wide(path), path.length());
  PIDLIST_RELATIVE items = nullptr;
  if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &items, nullptr))) {
    wchar_t buffer[MAX_PATH];
    if (SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(items), buffer)) result = fromWide(buffer);
    CoTaskMemFree(items);
  }
  desktop->Release();
  return result;
}

bool readIncludePathSetting(String& value) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Vexlet v3\\Vexlet", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  // The value is read with a fixed ceiling of 131,070 bytes, as the setting has always been.
  std::wstring buffer(65535 + 1, L'\0');
  DWORD bytes = 131070, type = 0;
  LONG status = RegQueryValueExW(key, L"Include", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  size_t units = bytes / sizeof(wchar_t);
  while (units > 0 && buffer[units - 1] == L'\0') --units;
  value = fromWide(buffer.data(), units);
  return true;
}

// Every ANSI code page maps 0-127 to the same code points, so ASCII text
// (most lines of most files) is widened without a round trip through the
// conversion tables.
namespace {
bool isAscii(const char* bytes, size_t count) {
  unsigned char any = 0;
  for (size_t i = 0; i < count; ++i) any |= static_cast<unsigned char>(bytes[i]);
  return any < 0x80;
}
}  // namespace

String ansiToUtf16(const char* bytes, size_t count) {
  if (count == 0) return String();
  if (isAscii(bytes, count)) {
    String result;
    result.resize(count);
    char16_t* out = result.mutableData();
    for (size_t i = 0; i < count; ++i) out[i] = static_cast<char16_t>(bytes[i]);
    return result;
  }
  int n = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, bytes, static_cast<int>(count), nullptr, 0);
  String result;
  result.resize(static_cast<size_t>(n));
  MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, bytes, static_cast<int>(count),
                      reinterpret_cast<wchar_t*>(result.mutableData()), n);
  return result;
}

std::string utf16ToAnsi(const String& text) {
  if (text.empty()) return std::string();
  const char16_t* in = text.data();
  char16_t any = 0;
  for (size_t i = 0; i < text.length(); ++i) any |= in[i];
  if (any < 0x80) return std::string(in, in + text.length());
  const int units = static_cast<int>(text.length());
  int n = WideCharToMultiByte(CP_ACP, 0, wide(text), units, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide(text), units, result.data(), n, nullptr, nullptr);
  return result;
}

int compareTextIgnoringCase(const String& a, const String& b) {
  int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wide(a), static_cast<int>(a.length()), wide(b),
                         static_cast<int>(b.length()));
  return r == 0 ? 0 : r - CSTR_EQUAL;
}

void writeStandardOutput(const String& text) {
  std::string bytes = utf16ToAnsi(text);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void showErrorBox(const String& text, const String& title, uintptr_t owner) {
  MessageBoxW(reinterpret_cast<HWND>(owner), wide(text), wide(title),
              MB_ICONERROR | MB_SYSTEMMODAL | MB_SETFOREGROUND);
}

long long writeStream(Stream stream, const void* bytes, size_t count) {
  HANDLE out = GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return -1;
  DWORD written = 0;
  if (count > 0 && !WriteFile(out, bytes, static_cast<DWORD>(count), &written, nullptr)) return -1;
  return written;
}

void debugOutput(const String& text) { OutputDebugStringW(wide(text)); }

bool isWindow(uintptr_t handle) { return handle != 0 && IsWindow(reinterpret_cast<HWND>(handle)); }

void beep(int frequency, int duration) { Beep(static_cast<DWORD>(frequency), static_cast<DWORD>(duration)); }

void memoryStatus(double stats[7]) {
  MEMORYSTATUSEX m = {};
  m.dwLength = sizeof m;
  if (!GlobalMemoryStatusEx(&m)) return;
  stats[0] = m.dwMemoryLoad;
  stats[1] = static_cast<double>(m.ullTotalPhys / 1024);
  stats[2] = static_cast<double>(m.ullAvailPhys / 1024);
  stats[3] = static_cast<double>(m.ullTotalPageFile / 1024);
  stats[4] = static_cast<double>(m.ullAvailPageFile / 1024);
  stats[5] = static_cast<double>(m.ullTotalVirtual / 1024);
  stats[6] = static_cast<double>(m.ullAvailVirtual / 1024);
}

uint32_t milliseconds() { return timeGetTime(); }

bool performanceCounter(int64_t& value) {
  LARGE_INTEGER v;
  if (!QueryPerformanceCounter(&v)) return false;
  value = v.QuadPart;
  return true;
}

int64_t performanceFrequency() {
  LARGE_INTEGER f;
  return QueryPerformanceFrequency(&f) ? f.QuadPart : 0;
}

void sleepMilliseconds(unsigned ms) { Sleep(ms); }

bool isAdministrator() {
  // Only an administrator may lock the service database; "already locked"
  // also proves the right to try.
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_LOCK);
  if (!manager) return false;
  bool admin = false;
  if (SC_LOCK lock = LockServiceDatabase(manager)) {
    UnlockServiceDatabase(lock);
    admin = true;
  } else {
    admin = GetLastError() == ERROR_SERVICE_DATABASE_LOCKED;
  }
  CloseServiceHandle(manager);
  return admin;
}

void relaunchElevated(const String& parameters, const String& directory) {
  const String self = executablePath();
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.hwnd = GetForegroundWindow();
  info.lpVerb = L"runas";
  info.lpFile = wide(self);
  info.lpParameters = wide(parameters);
  info.lpDirectory = wide(directory);
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
}

bool askForScriptFile(String& path) {
  wchar_t file[MAX_PATH] = L"";
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = L"Vexlet script files (*.vx3, *.vxc)\0*.vx3;*.vxc\0All files (*.*)\0*.*\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = L"Run Script:";
  dialog.lpstrDefExt = L"vx3";
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&dialog)) return false;
  path = fromWide(file);
  return true;
}

}  // namespace vx::platform

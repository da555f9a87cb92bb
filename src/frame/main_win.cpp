// The Windows entry point: process-wide settings saved and restored around
// one run of the main driver.
#include <windows.h>

#include <cstdio>
#include <new>

#include "engine/interpreter.h"
#include "engine/messages.h"
#include "frame/host_window.h"
#include "frame/command_line.h"
#include "frame/startup.h"

namespace {

// A crash must end the process with a code a caller can recognise, never
// with a debugger dialog that waits forever.
constexpr UINT kCrashExitCode = 0xC0DE00FD;

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* info) {
  char text[96];
  int n = snprintf(text, sizeof text, "vexlet: internal error 0x%08lX at %p\n",
                   static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                   info->ExceptionRecord->ExceptionAddress);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(n), &written, nullptr);
  ExitProcess(kCrashExitCode);
}

void onOutOfMemory() {
  MessageBoxW(nullptr, L"Error allocating memory.", L"Vexlet", MB_ICONERROR);
  ExitProcess(1);
}

bool versionIsSupported() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&version)) return false;
#pragma GCC diagnostic pop
  // Without a compatibility section in the manifest, newer systems report
  // 6.2, so this accepts every system from 2000 on.
  if (version.dwMajorVersion == 5) return version.dwMinorVersion <= 2;
  return version.dwMajorVersion == 6;
}

// Loaded for the whole run; the GUI toolkit asks whether a theme is active.
class ThemeLibrary {
 public:
  ThemeLibrary() : module_(LoadLibraryW(L"uxtheme.dll")) {
    if (!module_) return;
    using IsThemeActiveFn = BOOL(WINAPI*)();
    auto isActive = reinterpret_cast<IsThemeActiveFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "IsThemeActive")));
    active_ = isActive && isActive();
  }
  ~ThemeLibrary() {
    if (module_) FreeLibrary(module_);
  }
  bool active() const { return active_; }

 private:
  HMODULE module_;
  bool active_ = false;
};

// Lets the script bring windows to the foreground, and gives the user's
// setting back however the run ends.
class ForegroundLockTimeout {
 public:
  ForegroundLockTimeout() {
    SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &saved_, 0);
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
  }
  ~ForegroundLockTimeout() {
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(saved_)),
                          SPIF_SENDCHANGE);
  }

 private:
  DWORD saved_ = 0;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  SetUnhandledExceptionFilter(onUnhandledException);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  if (!versionIsSupported()) return 1;
  std::set_new_handler(onOutOfMemory);
  ThemeLibrary theme;
  ForegroundLockTimeout foregroundLock;

  vx::Interpreter vm;
  vm.themeActive = theme.active();
  const wchar_t* full = GetCommandLineW();
  const vx::String commandText =
      vx::textAfterProgramName(vx::String(reinterpret_cast<const char16_t*>(full)));
  return vx::runMainDriver(vm, commandText, [instance](vx::Interpreter& run) {
    auto host = std::make_unique<vx::HostWindow>(instance, !run.noTrayIcon, run.scriptName,
                                                 vx::messageText(vx::MessageId::PausedPrefix));
    host->onSessionEnd = [&run] { run.sessionEnding(); };
    return host;
  });
}

// The hidden host window: the process's message queue, the owner of the
// tray icon and its menu, the 750 ms housekeeping timer, and the place where
// the user's pause and exit requests and the session's end arrive.
//
// Invariants:
// - One HostWindow per process, living from just before the script's first
//   line to the end of the run; it never moves (the window keeps a pointer).
// - Everything runs on the thread that created it; nothing here is shared
//   with other threads.
// - The pause flag and the check mark of the "Script Paused" item agree.
#pragma once

#include <windows.h>

#include <functional>

#include "engine/run_host.h"
#include "frame/tray_icon.h"
#include "values/string.h"

namespace vx {

class HostWindow final : public RunHost {
 public:
  // Registers the window class, creates the hidden window and, when
  // `showTrayIcon`, adds the tray icon. `pausedPrefix` is the tooltip's
  // "(Paused) " from the message catalogue.
  HostWindow(HINSTANCE instance, bool showTrayIcon, const String& scriptFileName, const String& pausedPrefix);
  ~HostWindow() override;
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // False when the window could not be created (no desktop); the host then
  // still pumps the thread's queue but owns no window and no icon.
  bool created() const { return window_ != nullptr; }
  HWND window() const { return window_; }
  TrayIcon& tray() { return tray_; }
  const TrayIcon& tray() const { return tray_; }

  // Takes and dispatches waiting messages without blocking; false when the
  // quit message was taken.
  bool pumpMessages();
  // True once for each request to end the script; taking it clears the pause.
  bool takeExitRequest();
  bool paused() const { return facts_.paused; }

  // --- RunHost
  HostPoll poll() override;
  void idleWait(unsigned milliseconds) override;
  int exitMethod() const override { return exitMethod_; }
  uintptr_t ownerWindow() const override { return reinterpret_cast<uintptr_t>(window_); }
  void noteCurrentLine(const String& text) override { facts_.currentLine = text; }
  void shutdown() override;

  // The tray tooltip's debug form with the current line (option "TrayIconDebug").
  void setDebugTooltip(bool on) { facts_.debug = on; }
  // BREAK: whether a tray click may open the menu at all.
  void setMenuAllowed(bool allowed) override { tray_.setMenuAllowed(allowed); }
  void setPaused(bool paused) override;
  // Recomputes the tray tooltip from the current facts.
  void updateTooltip() { tray_.updateTooltip(facts_); }

  // Runs the script's exit functions when the session ends (logoff or
  // shutdown); set by the engine.
  std::function<void()> onSessionEnd;
  // Ends background work that must not outlive a close or the session:
  // internet transfers and the readers of started programs' streams.
  std::function<void()> onStopBackgroundWork;
  // A hot key's id, delivered only while not paused.
  std::function<void(int)> onHotKey;

 private:
  static constexpr unsigned kLinesPerPump = 256;
  static constexpr DWORD kPumpIntervalMs = 10;
  unsigned linesSincePump_ = kLinesPerPump;
  bool pumpDue_ = true;
  DWORD lastPump_ = 0;

  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void onCreate();
  void onTrayNotify(UINT mouseMessage);
  bool onCommand(UINT id);
  void onTimer();
  void onQueryEndSession(LPARAM flags);

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
  UINT taskbarCreatedMessage_ = 0;
  TrayIcon tray_;
  TooltipFacts facts_;
  bool exitRequested_ = false;
  int exitMethod_ = 0;
  bool shutDown_ = false;
};

}  // namespace vx

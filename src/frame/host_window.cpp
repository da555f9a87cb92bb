#include "frame/host_window.h"

#include <commctrl.h>

namespace vx {

namespace {

constexpr wchar_t kHostClass[] = L"Vexlet v3";
constexpr wchar_t kHostTitle[] = L"Vexlet v3";
constexpr int kMainIcon = 99;
constexpr UINT_PTR kHousekeepingTimer = 1;
constexpr UINT kHousekeepingMs = 750;
constexpr int kEditId = 1;
constexpr DWORD kPauseSettleMs = 500;

// Registering twice in one process is harmless: the class stays as it was.
void registerHostClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kMainIcon));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kMainIcon), IMAGE_ICON, 16, 16, LR_SHARED));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kHostClass;
  RegisterClassExW(&wc);
}

// The classes script windows will use; loaded once, before any window needs them.
void initCommonControls() {
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                   ICC_PROGRESS_CLASS | ICC_DATE_CLASSES;
  InitCommonControlsEx(&controls);
}

}  // namespace

HostWindow::HostWindow(HINSTANCE instance, bool showTrayIcon, const String& scriptFileName,
                       const String& pausedPrefix)
    : instance_(instance), tray_(instance, scriptFileName, pausedPrefix) {
  registerHostClass(instance, procedure);
  // The shell broadcasts it when the notification area is rebuilt.
  taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
  initCommonControls();
  HWND hwnd = CreateWindowExW(0, kHostClass, kHostTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 300,
                              100, nullptr, nullptr, instance, this);
  window_ = hwnd;  // also clears what WM_NCCREATE set if creation failed later on
  if (!hwnd) return;
  ShowWindow(hwnd, SW_HIDE);
  if (showTrayIcon) tray_.add(facts_);
}

HostWindow::~HostWindow() { shutdown(); }

LRESULT CALLBACK HostWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  HostWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<HostWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = hwnd;  // handlers during creation need it
  } else {
    self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self || self->window_ != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    self->edit_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->handle(message, wParam, lParam);
}

LRESULT HostWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      onCreate();
      return 0;
    case WM_DESTROY:
      KillTimer(window_, kHousekeepingTimer);
      tray_.remove();
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      if (edit_) MoveWindow(edit_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (edit_) SetFocus(edit_);
      return 0;
    case WM_CLOSE:
      // The run loop ends the script; the window itself goes in shutdown().
      exitRequested_ = true;
      if (onStopBackgroundWork) onStopBackgroundWork();
      return 0;
    case WM_QUERYENDSESSION:
      onQueryEndSession(lParam);
      break;
    case WM_COMMAND:
      if (onCommand(LOWORD(wParam))) return 0;
      break;
    case WM_TIMER:
      if (wParam == kHousekeepingTimer) onTimer();
      return 0;
    case WM_HOTKEY:
      if (!facts_.paused && onHotKey) onHotKey(static_cast<int>(wParam));
      break;
    case kTrayCallbackMessage:
      onTrayNotify(static_cast<UINT>(lParam));
      return 0;
    default:
      if (message == taskbarCreatedMessage_ && message != 0) {
        // The notification area was rebuilt and has forgotten our icon.
        if (tray_.shown()) {
          tray_.remove();
          tray_.add(facts_);
        }
        return 0;
      }
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void HostWindow::onCreate() {
  SetTimer(window_, kHousekeepingTimer, kHousekeepingMs, nullptr);
  tray_.attach(window_);
  edit_ = CreateWindowExW(0, L"edit", L"",
                          WS_CHILD | WS_VISIBLE | WS_BORDER | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                              ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                          0, 0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), instance_,
                          nullptr);
}

void HostWindow::onTrayNotify(UINT mouseMessage) {
  unsigned bit = trayClickBit(mouseMessage);
  // The script's tray events and double-click default items join here.
  if (!tray_.clickOpensMenu(bit)) return;
  bool hasItems = tray_.prepareMenu();
  tray_.checkPauseItem(facts_.paused);  // items added anew lose the check mark
  if (!hasItems) return;
  if (!tray_.builtinItemsWanted()) {
    // Without "Script Paused" the user could not resume a paused script.
    tray_.setAutoPause(false);
  } else if (tray_.autoPause()) {
    setPaused(true);
  }
  // Without the foreground the menu would not close when the user clicks
  // elsewhere; the null message afterwards lets it close on the next click.
  SetForegroundWindow(window_);
  POINT at = {};
  GetCursorPos(&at);
  TrackPopupMenu(tray_.menu(), TPM_LEFTBUTTON, at.x, at.y, 0, window_, nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
  updateTooltip();
}

bool HostWindow::onCommand(UINT id) {
  switch (id) {
    case kTrayCommandExit:
      exitMethod_ = 2;
      exitRequested_ = true;
      return true;
    case kTrayCommandPause:
      setPaused(!facts_.paused);
      updateTooltip();
      Sleep(kPauseSettleMs);
      return true;
    default:
      // The script's own tray items (ignored while paused) join here.
      return false;
  }
}

void HostWindow::onTimer() {
  updateTooltip();
  tray_.blink(facts_.paused);
  SetTimer(window_, kHousekeepingTimer, kHousekeepingMs, nullptr);
}

void HostWindow::onQueryEndSession(LPARAM flags) {
  exitMethod_ = (static_cast<DWORD>(flags) & ENDSESSION_LOGOFF) ? 3 : 4;
  // The exit functions run now, while the session still waits for us; the
  // run loop must not start them a second time.
  exitRequested_ = false;
  if (onStopBackgroundWork) onStopBackgroundWork();
  if (onSessionEnd) onSessionEnd();
}

void HostWindow::setPaused(bool paused) {
  facts_.paused = paused;
  tray_.checkPauseItem(paused);
}

bool HostWindow::pumpMessages() {
  // A queue check is a kernel (under Wine, a server) round trip of up to
  // 150 us: between lines it is made at most every 10 ms (the tick count is
  // read every few hundred lines), which keeps the tray, pause and exit as
  // responsive as checking every line.
  if (++linesSincePump_ < kLinesPerPump) return true;
  linesSincePump_ = 0;
  const DWORD now = GetTickCount();
  if (!pumpDue_ && now - lastPump_ < kPumpIntervalMs) return true;
  pumpDue_ = false;
  lastPump_ = now;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

HostPoll HostWindow::poll() {
  if (!pumpMessages()) return HostPoll::Quit;
  if (takeExitRequest()) return HostPoll::Exit;
  return facts_.paused ? HostPoll::Paused : HostPoll::Run;
}

bool HostWindow::takeExitRequest() {
  if (!exitRequested_) return false;
  exitRequested_ = false;
  setPaused(false);
  return true;
}

void HostWindow::idleWait(unsigned milliseconds) {
  // Wakes early for any message, also one that arrived before the call.
  MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  linesSincePump_ = kLinesPerPump;  // after a wait, always look at the queue
  pumpDue_ = true;
}

void HostWindow::shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  tray_.remove();
  if (window_) DestroyWindow(window_);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace vx

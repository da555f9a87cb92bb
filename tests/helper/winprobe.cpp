// winprobe: looks at the windows on the desktop from outside, so tests can check what a
// script put on screen and answer it.
//
//   winprobe wait   SEL                    wait for a matching top-level window, print its handle
//   winprobe gone   SEL                    wait until no matching top-level window is left
//   winprobe texts  SEL                    its title, then "Class|id|text" for every child window
//   winprobe dialog SEL [--press TEXT | --close]
//                                          its title, the texts of its static (non-image)
//                                          controls, "style=0x...", "exstyle=0x...",
//                                          "topmost=0|1"; then presses TEXT (default: the default
//                                          button) or posts WM_CLOSE, prints "pressed=TEXT" or
//                                          "closed", and waits until the dialog is gone
//   winprobe close  SEL                    post WM_CLOSE to it
//   winprobe click  SEL --button TEXT      press one of its buttons, found by text, print "pressed=TEXT"
//   winprobe send   SEL --msg N [--wparam W] [--lparam L] [--post]
//                                          send (print the result) or post a message to it
//   winprobe set-text SEL --id N [--child-class C] --text T
//                                          set the text of its first descendant with control id N
//                                          (and class C) by WM_SETTEXT, as typing it would
//   winprobe items SEL --id N [--child-class C]
//                                          the items of that descendant, a combo box or list
//                                          box, one per line
//   winprobe list                          "handle|class|title|visible" for every top-level window
//   winprobe tray-click SEL --button left|right [--double] [--msg N]
//                                          post the tray callback message N (default 1025) to it
//                                          with the button's down (or double-click) message, as
//                                          the notification area does on a click
//   winprobe tray-click --icon --button left|right [--double]
//                                          post the button's down (or double-click) message to
//                                          the first icon of Wine's standalone tray, which hands
//                                          it on to the icon's owner as a real click does
//   winprobe tray-icons                    the handle of every icon window in Wine's standalone
//                                          tray, one per line (none when it has no icons)
//   winprobe menu [--keys K,K,... | --close | --choose-id N] [--timeout MS]
//                                          wait for a visible popup menu (#32768), print its
//                                          handle; then post the keys to it (down, up, left,
//                                          right, home, end, return, escape, or one letter), or
//                                          Escape (--close), or close it with Escape and post
//                                          WM_COMMAND N to its owner (--choose-id); then wait
//                                          until it is gone
//
// SEL, at least one of the first four:
//   --title T          title equals T exactly      --title-prefix T   title starts with T
//   --class C          class name equals C         --handle 0x...     this window (a child too)
//   --visible          only visible windows (implied by dialog: a dialog shows itself once its
//                      controls exist)
//   --timeout MS       how long to wait, polling every 20 ms (default 10000)
// --msg-name NAME stands for --msg with the number RegisterWindowMessage gives NAME, and
// --broadcast for a send or post to every top-level window (no SEL needed then).
// Button texts compare without '&' and without regard to case. Numbers may be written in hex
// (0x...) and, for --wparam and --lparam, negative.
//
// Output is UTF-8 with "\n" line ends. Texts escape backslash, CR, LF and tab as \\ \r \n \t, so
// that every item stays on one line and the escapes are unambiguous.
// Exit code: 0 done, 1 nothing matched in time (or a button was missing, a dialog stayed,
// a message failed), 2 bad usage.

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPollMs = 20;
constexpr UINT kTextTimeoutMs = 2000;  // a hung target must not hang the test

enum ExitCode { kDone = 0, kNotFound = 1, kUsage = 2 };

struct Selector {
  bool has_title = false;
  bool title_prefix = false;
  std::wstring title;
  bool has_class = false;
  std::wstring class_name;
  HWND handle = nullptr;
  bool visible_only = false;
  DWORD timeout_ms = 10000;
};

struct Options {
  std::wstring command;
  Selector selector;
  bool has_press = false;
  std::wstring press;
  bool close = false;
  bool has_button = false;
  std::wstring button;
  bool has_message = false;
  UINT message = 0;
  WPARAM wparam = 0;
  LPARAM lparam = 0;
  bool post = false;
  bool broadcast = false;
  bool right_button = false;
  bool double_click = false;
  bool tray_icon = false;
  std::vector<UINT> keys;
  bool has_choose_id = false;
  UINT choose_id = 0;
  bool has_control_id = false;
  int control_id = 0;
  std::wstring child_class;
  bool has_text = false;
  std::wstring text;
};

// ---- output -------------------------------------------------------------------------------

std::string Utf8(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string bytes(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

// Lines go out as UTF-8 through WriteFile, which keeps "\n" as it is (the C runtime's text mode
// would add CRs); a real console gets UTF-16 so it shows the characters.
void WriteLineTo(DWORD stream, const std::wstring& line) {
  HANDLE out = GetStdHandle(stream);
  std::wstring text = line + L"\n";
  DWORD mode, written;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  std::string bytes = Utf8(text);
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteLine(const std::wstring& line) { WriteLineTo(STD_OUTPUT_HANDLE, line); }

void WriteError(const std::wstring& message) { WriteLineTo(STD_ERROR_HANDLE, L"winprobe: " + message); }

std::wstring Escape(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    switch (c) {
      case L'\\': out += L"\\\\"; break;
      case L'\r': out += L"\\r"; break;
      case L'\n': out += L"\\n"; break;
      case L'\t': out += L"\\t"; break;
      default: out += c;
    }
  }
  return out;
}

std::wstring HandleText(HWND hwnd) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%016llX", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
  return buffer;
}

// ---- window facts -------------------------------------------------------------------------

std::wstring ClassOf(HWND hwnd) {
  wchar_t buffer[256];
  int length = GetClassNameW(hwnd, buffer, 256);
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

// The title as the system stores it: GetWindowText does not call into another process's
// window procedure, so it cannot hang on a busy target.
std::wstring TitleOf(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  length = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return text;
}

// A control's text lives in its own process (an edit control keeps it there), so it has to be
// asked for with WM_GETTEXT, under a time limit.
std::wstring ControlTextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &length) ||
      length == 0)
    return std::wstring();
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kTextTimeoutMs, &copied))
    return std::wstring();
  text.resize(copied < length ? copied : length);
  return text;
}

// "&Retry" and "&&Save" as a person reads them: "Retry" and "&Save".
std::wstring WithoutMnemonics(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && ++i == text.size()) break;  // "&x" shows x, "&&" shows "&"
    out += text[i];
  }
  return out;
}

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

// A named CALLBACK, not a lambda: on x86 the enumerators want stdcall.
BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

// Top-level windows in z-order, top first.
std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// All descendants, depth first, each level in z-order.
std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&children));
  return children;
}

bool IsPushButton(HWND hwnd) {
  if (!SameTextIgnoringCase(ClassOf(hwnd), L"Button")) return false;
  LONG type = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// ---- finding ------------------------------------------------------------------------------

bool Matches(HWND hwnd, const Selector& selector) {
  if (selector.visible_only && !IsWindowVisible(hwnd)) return false;
  if (selector.has_class && ClassOf(hwnd) != selector.class_name) return false;
  if (selector.has_title) {
    std::wstring title = TitleOf(hwnd);
    if (selector.title_prefix ? title.compare(0, selector.title.size(), selector.title) != 0
                              : title != selector.title)
      return false;
  }
  return true;
}

// The first match in z-order, top first.
HWND FindTopLevel(const Selector& selector) {
  if (selector.handle) return IsWindow(selector.handle) && Matches(selector.handle, selector) ? selector.handle : nullptr;
  for (HWND hwnd : TopLevelWindows())
    if (Matches(hwnd, selector)) return hwnd;
  return nullptr;
}

// Polls `ready` until it holds or the time is up; true when it held.
template <typename Condition>
bool PollUntil(DWORD timeout_ms, Condition ready) {
  ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    if (ready()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
}

HWND WaitForWindow(const Selector& selector) {
  HWND found = nullptr;
  PollUntil(selector.timeout_ms, [&] { return (found = FindTopLevel(selector)) != nullptr; });
  if (!found) WriteError(L"no matching window");
  return found;
}

HWND FindButton(HWND window, const std::wstring& text) {
  std::wstring wanted = WithoutMnemonics(text);
  for (HWND child : Descendants(window)) {
    if (IsWindowVisible(child) && IsPushButton(child) &&
        SameTextIgnoringCase(WithoutMnemonics(ControlTextOf(child)), wanted))
      return child;
  }
  return nullptr;
}

// The button Enter would press: the dialog's default id, else IDOK, else the first push button.
HWND DefaultButton(HWND dialog) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(dialog, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &result) &&
      HIWORD(result) == DC_HASDEFID) {
    if (HWND button = GetDlgItem(dialog, LOWORD(result))) return button;
  }
  if (HWND ok = GetDlgItem(dialog, IDOK); ok && IsWindowVisible(ok)) return ok;
  for (HWND child : Descendants(dialog))
    if (IsWindowVisible(child) && IsPushButton(child)) return child;
  return nullptr;
}

// Posting BM_CLICK lets the button run its own click (press, release, BN_CLICKED) in its
// thread, and keeps us free of whatever the click starts there.
// The text is read first: the click may destroy the button.
void Press(HWND button) {
  std::wstring text = WithoutMnemonics(ControlTextOf(button));
  PostMessageW(button, BM_CLICK, 0, 0);
  WriteLine(L"pressed=" + Escape(text));
}

// ---- commands -----------------------------------------------------------------------------

int RunList() {
  for (HWND hwnd : TopLevelWindows())
    WriteLine(HandleText(hwnd) + L"|" + ClassOf(hwnd) + L"|" + Escape(TitleOf(hwnd)) + L"|" +
              (IsWindowVisible(hwnd) ? L"1" : L"0"));
  return kDone;
}

int RunWait(const Options& options) {
  HWND window = WaitForWindow(options.selector);
  if (!window) return kNotFound;
  WriteLine(HandleText(window));
  return kDone;
}

int RunGone(const Options& options) {
  if (PollUntil(options.selector.timeout_ms, [&] { return FindTopLevel(options.selector) == nullptr; }))
    return kDone;
  WriteError(L"a matching window is still there");
  return kNotFound;
}

int RunTexts(const Options& options) {
  HWND window = WaitForWindow(options.selector);
  if (!window) return kNotFound;
  WriteLine(Escape(TitleOf(window)));
  for (HWND child : Descendants(window))
    WriteLine(ClassOf(child) + L"|" + std::to_wstring(GetDlgCtrlID(child)) + L"|" +
              Escape(ControlTextOf(child)));
  return kDone;
}

int RunDialog(Options options) {
  options.selector.visible_only = true;
  HWND dialog = WaitForWindow(options.selector);
  if (!dialog) return kNotFound;
  WriteLine(Escape(TitleOf(dialog)));
  for (HWND child : Descendants(dialog)) {
    if (!SameTextIgnoringCase(ClassOf(child), L"Static")) continue;
    LONG type = GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK;
    if (type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE) continue;
    WriteLine(Escape(ControlTextOf(child)));
  }
  LONG style = GetWindowLongW(dialog, GWL_STYLE);
  LONG exstyle = GetWindowLongW(dialog, GWL_EXSTYLE);
  wchar_t line[64];
  swprintf(line, 64, L"style=0x%08lX", static_cast<unsigned long>(style));
  WriteLine(line);
  swprintf(line, 64, L"exstyle=0x%08lX", static_cast<unsigned long>(exstyle));
  WriteLine(line);
  WriteLine((exstyle & WS_EX_TOPMOST) ? L"topmost=1" : L"topmost=0");

  if (options.close) {
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    WriteLine(L"closed");
  } else {
    HWND button = options.has_press ? FindButton(dialog, options.press) : DefaultButton(dialog);
    if (!button) {
      WriteError(options.has_press ? L"no button \"" + options.press + L"\"" : L"no button to press");
      return kNotFound;
    }
    Press(button);
  }
  if (PollUntil(options.selector.timeout_ms, [&] { return !IsWindow(dialog); })) return kDone;
  WriteError(L"the dialog is still open");
  return kNotFound;
}

int RunClose(const Options& options) {
  HWND window = WaitForWindow(options.selector);
  if (!window) return kNotFound;
  // Posted, not sent: a window that answers WM_CLOSE with a modal question must not block us.
  return PostMessageW(window, WM_CLOSE, 0, 0) ? kDone : kNotFound;
}

int RunClick(const Options& options) {
  HWND window = WaitForWindow(options.selector);
  if (!window) return kNotFound;
  // The window can exist before its controls do, so the button gets the same time to appear.
  HWND button = nullptr;
  PollUntil(options.selector.timeout_ms, [&] { return (button = FindButton(window, options.button)) != nullptr; });
  if (!button) {
    WriteError(L"no button \"" + options.button + L"\"");
    return kNotFound;
  }
  Press(button);
  return kDone;
}

// The window can exist before its controls do, so the control gets the same time to appear.
HWND WaitForControl(HWND window, const Options& options) {
  HWND found = nullptr;
  PollUntil(options.selector.timeout_ms, [&] {
    for (HWND child : Descendants(window)) {
      if (GetDlgCtrlID(child) == options.control_id &&
          (options.child_class.empty() || SameTextIgnoringCase(ClassOf(child), options.child_class)))
        return (found = child) != nullptr;
    }
    return false;
  });
  if (!found) WriteError(L"no control with id " + std::to_wstring(options.control_id));
  return found;
}

int RunSetText(const Options& options) {
  HWND window = WaitForWindow(options.selector);
  HWND control = window ? WaitForControl(window, options) : nullptr;
  if (!control) return kNotFound;
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(options.text.c_str()), SMTO_ABORTIFHUNG,
                          kTextTimeoutMs, &result) && result)
    return kDone;
  WriteError(L"WM_SETTEXT failed");
  return kNotFound;
}

// Combo and list boxes answer the same questions under different message numbers; the system
// copies the item texts across the process boundary for both.
int RunItems(const Options& options) {
  HWND window = WaitForWindow(options.selector);
  HWND control = window ? WaitForControl(window, options) : nullptr;
  if (!control) return kNotFound;
  bool combo = ClassOf(control).find(L"ComboBox") != std::wstring::npos;
  UINT get_count = combo ? CB_GETCOUNT : LB_GETCOUNT, get_length = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN,
       get_text = combo ? CB_GETLBTEXT : LB_GETTEXT;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(control, get_count, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &count) ||
      static_cast<LONG_PTR>(count) < 0) {
    WriteError(L"the control has no items to read");
    return kNotFound;
  }
  for (DWORD_PTR i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(control, get_length, i, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &length);
    std::wstring item(static_cast<LONG_PTR>(length) > 0 ? length + 1 : 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, get_text, i, reinterpret_cast<LPARAM>(item.data()), SMTO_ABORTIFHUNG,
                        kTextTimeoutMs, &copied);
    item.resize(static_cast<LONG_PTR>(copied) > 0 && copied < item.size() ? copied : 0);
    WriteLine(Escape(item));
  }
  return kDone;
}

int RunSend(const Options& options) {
  HWND window = options.broadcast ? HWND_BROADCAST : WaitForWindow(options.selector);
  if (!window) return kNotFound;
  if (options.post) {
    if (PostMessageW(window, options.message, options.wparam, options.lparam)) return kDone;
    WriteError(L"PostMessage failed, error " + std::to_wstring(GetLastError()));
    return kNotFound;
  }
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, options.message, options.wparam, options.lparam, SMTO_NORMAL,
                           options.selector.timeout_ms, &result)) {
    WriteError(L"SendMessage failed or timed out, error " + std::to_wstring(GetLastError()));
    return kNotFound;
  }
  WriteLine(std::to_wstring(static_cast<LONG_PTR>(result)));
  return kDone;
}

// Wine shows the notification area, when the desktop has none, as a window of its own with
// one child per icon; it exists only while there are icons.
std::vector<HWND> TrayIconWindows() {
  std::vector<HWND> icons;
  for (HWND hwnd : TopLevelWindows()) {
    if (ClassOf(hwnd) != L"__winex11_standalone_tray") continue;
    for (HWND child : Descendants(hwnd))
      if (ClassOf(child) == L"__winex11_tray_icon") icons.push_back(child);
  }
  return icons;
}

// Posted, not sent: the host opens its menu inside the handler and would hold a sent message
// until the menu closes.
int RunTrayClick(const Options& options) {
  UINT mouse = options.right_button ? (options.double_click ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN)
                                    : (options.double_click ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN);
  if (options.tray_icon) {
    HWND icon = nullptr;
    PollUntil(options.selector.timeout_ms, [&] {
      std::vector<HWND> icons = TrayIconWindows();
      return (icon = icons.empty() ? nullptr : icons.front()) != nullptr;
    });
    if (!icon) {
      WriteError(L"no tray icon");
      return kNotFound;
    }
    WPARAM keys = options.right_button ? MK_RBUTTON : MK_LBUTTON;
    if (PostMessageW(icon, mouse, keys, MAKELPARAM(8, 8))) return kDone;
    WriteError(L"PostMessage failed, error " + std::to_wstring(GetLastError()));
    return kNotFound;
  }
  HWND window = WaitForWindow(options.selector);
  if (!window) return kNotFound;
  UINT callback = options.has_message ? options.message : WM_USER + 1;
  if (PostMessageW(window, callback, 1, static_cast<LPARAM>(mouse))) return kDone;
  WriteError(L"PostMessage failed, error " + std::to_wstring(GetLastError()));
  return kNotFound;
}

int RunTrayIcons() {
  for (HWND icon : TrayIconWindows()) WriteLine(HandleText(icon));
  return kDone;
}

// The menu's own loop takes keyboard messages of its thread, whichever window they are
// posted to; Return arrives as the character TranslateMessage makes of it.
void PostKey(HWND window, UINT key) {
  UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  PostMessageW(window, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
  PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
}

int RunMenu(Options options) {
  options.selector.has_class = true;
  options.selector.class_name = L"#32768";
  options.selector.visible_only = true;
  HWND menu = WaitForWindow(options.selector);
  if (!menu) return kNotFound;
  WriteLine(HandleText(menu));
  HWND owner = GetWindow(menu, GW_OWNER);
  if (options.has_choose_id || options.close) {
    PostKey(menu, VK_ESCAPE);
  } else {
    for (UINT key : options.keys) {
      PostKey(menu, key);
      Sleep(kPollMs);  // one key at a time, as a person types them
    }
  }
  if (!PollUntil(options.selector.timeout_ms, [&] { return !IsWindow(menu) || !IsWindowVisible(menu); })) {
    WriteError(L"the menu is still open");
    return kNotFound;
  }
  if (options.has_choose_id) {
    if (!owner) {
      WriteError(L"the menu has no owner");
      return kNotFound;
    }
    PostMessageW(owner, WM_COMMAND, MAKEWPARAM(options.choose_id, 0), 0);
    WriteLine(L"chose=" + std::to_wstring(options.choose_id) + L" owner=" + HandleText(owner));
  }
  return kDone;
}

// ---- command line -------------------------------------------------------------------------

bool ParseUnsigned(const wchar_t* text, unsigned long long& value) {
  if (!*text || *text == L'-') return false;
  wchar_t* end = nullptr;
  value = wcstoull(text, &end, 0);
  return *end == L'\0';
}

bool ParseSigned(const wchar_t* text, long long& value) {
  if (*text != L'-') {
    unsigned long long u;
    if (!ParseUnsigned(text, u)) return false;
    value = static_cast<long long>(u);
    return true;
  }
  wchar_t* end = nullptr;
  value = wcstoll(text, &end, 0);
  return text[1] && *end == L'\0';
}

// "down,down,return" as virtual keys; false on a name it does not know.
bool ParseKeys(const std::wstring& list, std::vector<UINT>& keys) {
  static const struct { const wchar_t* name; UINT key; } kNames[] = {
      {L"down", VK_DOWN}, {L"up", VK_UP},         {L"left", VK_LEFT},     {L"right", VK_RIGHT},
      {L"home", VK_HOME}, {L"end", VK_END},       {L"return", VK_RETURN}, {L"enter", VK_RETURN},
      {L"escape", VK_ESCAPE}, {L"esc", VK_ESCAPE},
  };
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(L',', start);
    std::wstring name = list.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    UINT key = 0;
    for (const auto& entry : kNames)
      if (SameTextIgnoringCase(name, entry.name)) key = entry.key;
    if (!key && name.size() == 1 && iswalnum(name[0])) key = static_cast<UINT>(towupper(name[0]));
    if (!key) return false;
    keys.push_back(key);
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  return !keys.empty();
}

// Fills `options` from argv; false (after a message) on anything it does not understand.
bool Parse(int argc, wchar_t** argv, Options& options) {
  if (argc < 2) return false;
  options.command = argv[1];
  Selector& s = options.selector;
  for (int i = 2; i < argc; ++i) {
    std::wstring name = argv[i];
    bool is_flag = name == L"--visible" || name == L"--close" || name == L"--post" || name == L"--double" ||
                   name == L"--broadcast" || name == L"--icon";
    if (!is_flag && i + 1 >= argc) {
      WriteError(name + L" needs a value");
      return false;
    }
    const wchar_t* value = is_flag ? L"" : argv[++i];
    unsigned long long number = 0;
    long long signed_number = 0;
    if (name == L"--title" || name == L"--title-prefix") {
      s.has_title = true;
      s.title_prefix = name == L"--title-prefix";
      s.title = value;
    } else if (name == L"--class") {
      s.has_class = true;
      s.class_name = value;
    } else if (name == L"--handle" && ParseUnsigned(value, number) && number != 0) {
      s.handle = reinterpret_cast<HWND>(static_cast<UINT_PTR>(number));
    } else if (name == L"--visible") {
      s.visible_only = true;
    } else if (name == L"--timeout" && ParseUnsigned(value, number) && number <= 0x7FFFFFFF) {
      s.timeout_ms = static_cast<DWORD>(number);
    } else if (name == L"--press") {
      options.has_press = true;
      options.press = value;
    } else if (name == L"--close") {
      options.close = true;
    } else if (name == L"--button") {
      options.has_button = true;
      options.button = value;
    } else if (name == L"--msg" && ParseUnsigned(value, number) && number <= 0xFFFFFFFF) {
      options.has_message = true;
      options.message = static_cast<UINT>(number);
    } else if (name == L"--wparam" && ParseSigned(value, signed_number)) {
      options.wparam = static_cast<WPARAM>(signed_number);
    } else if (name == L"--lparam" && ParseSigned(value, signed_number)) {
      options.lparam = static_cast<LPARAM>(signed_number);
    } else if (name == L"--post") {
      options.post = true;
    } else if (name == L"--broadcast") {
      options.broadcast = true;
    } else if (name == L"--msg-name") {
      UINT registered = RegisterWindowMessageW(value);
      if (!registered) {
        WriteError(L"cannot register " + std::wstring(value));
        return false;
      }
      options.has_message = true;
      options.message = registered;
    } else if (name == L"--icon") {
      options.tray_icon = true;
    } else if (name == L"--double") {
      options.double_click = true;
    } else if (name == L"--keys" && ParseKeys(value, options.keys)) {
    } else if (name == L"--id" && ParseSigned(value, signed_number) && signed_number >= -0x80000000LL &&
               signed_number <= 0x7FFFFFFF) {
      options.has_control_id = true;
      options.control_id = static_cast<int>(signed_number);
    } else if (name == L"--child-class") {
      options.child_class = value;
    } else if (name == L"--text") {
      options.has_text = true;
      options.text = value;
    } else if (name == L"--choose-id" && ParseUnsigned(value, number) && number <= 0xFFFF) {
      options.has_choose_id = true;
      options.choose_id = static_cast<UINT>(number);
    } else {
      WriteError(L"bad option " + name + (is_flag ? L"" : L" " + std::wstring(value)));
      return false;
    }
  }
  const std::wstring& c = options.command;
  if (c == L"list" || c == L"tray-icons") return true;
  if (c == L"menu") {
    int ways = (options.keys.empty() ? 0 : 1) + (options.close ? 1 : 0) + (options.has_choose_id ? 1 : 0);
    if (ways != 1) {
      WriteError(L"menu needs one of --keys, --close, --choose-id");
      return false;
    }
    return true;
  }
  if (c == L"send" && options.broadcast) return options.has_message;
  if (c == L"tray-click") {
    if (!options.has_button || !(SameTextIgnoringCase(options.button, L"left") ||
                                 SameTextIgnoringCase(options.button, L"right"))) {
      WriteError(L"tray-click needs --button left or --button right");
      return false;
    }
    options.right_button = SameTextIgnoringCase(options.button, L"right");
    if (options.tray_icon) return true;
  }
  if (c != L"wait" && c != L"gone" && c != L"texts" && c != L"dialog" && c != L"close" && c != L"click" &&
      c != L"send" && c != L"tray-click" && c != L"set-text" && c != L"items") {
    WriteError(L"unknown command " + c);
    return false;
  }
  if (!s.has_title && !s.has_class && !s.handle) {
    WriteError(L"name the window with --title, --title-prefix, --class or --handle");
    return false;
  }
  if (c == L"dialog" && options.has_press && options.close) {
    WriteError(L"--press and --close exclude each other");
    return false;
  }
  if (c == L"click" && !options.has_button) {
    WriteError(L"click needs --button");
    return false;
  }
  if ((c == L"set-text" || c == L"items") && !options.has_control_id) {
    WriteError(c + L" needs --id");
    return false;
  }
  if (c == L"set-text" && !options.has_text) {
    WriteError(L"set-text needs --text");
    return false;
  }
  if (c == L"send" && !options.has_message) {
    WriteError(L"send needs --msg");
    return false;
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!Parse(argc, argv, options)) {
    WriteError(L"usage: winprobe wait|gone|texts|dialog|close|click|send|set-text|items|list|tray-click|"
               L"tray-icons|menu [options]; "
               L"see the comment at the top of winprobe.cpp");
    return kUsage;
  }
  const std::wstring& c = options.command;
  if (c == L"list") return RunList();
  if (c == L"wait") return RunWait(options);
  if (c == L"gone") return RunGone(options);
  if (c == L"texts") return RunTexts(options);
  if (c == L"dialog") return RunDialog(options);
  if (c == L"close") return RunClose(options);
  if (c == L"click") return RunClick(options);
  if (c == L"tray-click") return RunTrayClick(options);
  if (c == L"tray-icons") return RunTrayIcons();
  if (c == L"menu") return RunMenu(options);
  if (c == L"set-text") return RunSetText(options);
  if (c == L"items") return RunItems(options);
  return RunSend(options);
}

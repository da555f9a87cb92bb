// host_demo: runs the host window under a loop shaped like the interpreter's
// run loop, so tests can drive the tray menu, pause and exit from outside and
// read what happened on standard output.
//
//   host_demo [--seconds N] [--no-tray] [--name TEXT] [--debug-line TEXT]
//             [--no-menu] [--no-builtin-items] [--builtin-items-off-at MS]
//
//   --seconds N          end by itself after N seconds (default 10)
//   --no-tray            no tray icon
//   --name TEXT          the script file name for the tooltip (default demo.vx3)
//   --debug-line TEXT    the tooltip's debug form, with TEXT as the current line
//   --no-menu            as after BREAK(0): clicks never open the menu
//   --no-builtin-items   the tray menu mode without the built-in items
//   --builtin-items-off-at MS
//                        switch to that mode MS milliseconds after the start
//
// Output, one line each, flushed at once:
//   ready window=0x... tray=0|1
//   tick N                                     every 50 ms while not paused
//   state paused=0|1 menu=ITEMS tooltip=TEXT   whenever one of them changed;
//                                              ITEMS is "id:text[x]" per item
//                                              ("[x]" when checked, "-" for a
//                                              separator) joined by "|"
//   builtin-items off                          after --builtin-items-off-at
//   session-end method=N                       from the session-end hook
//   end reason=exit|quit|time method=N
// Texts escape backslash, CR, LF and tab as \\ \r \n \t.

#include <windows.h>

#include <cwchar>
#include <string>

#include "engine/messages.h"
#include "frame/host_window.h"

namespace {

struct Options {
  unsigned seconds = 10;
  bool tray = true;
  std::wstring name = L"demo.vx3";
  bool debug = false;
  std::wstring debugLine;
  bool menuAllowed = true;
  bool builtinItems = true;
  unsigned builtinItemsOffAt = 0;  // 0: never
};

void writeLine(const std::wstring& line) {
  std::wstring text = line + L"\n";
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                 nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                      nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring escape(const std::wstring& text) {
  std::wstring out;
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

std::wstring wideOf(const vx::String& text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.length());
}

vx::String stringOf(const std::wstring& text) {
  return vx::String(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// Read in this process, where the menu lives: another process cannot read it.
std::wstring describeMenu(HMENU menu) {
  std::wstring out;
  int count = menu ? GetMenuItemCount(menu) : 0;
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    item.dwTypeData = text;
    item.cch = 127;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item)) continue;
    if (i > 0) out += L"|";
    out += std::to_wstring(item.wID) + L":";
    if (item.fType & MFT_SEPARATOR) {
      out += L"-";
    } else {
      out += escape(text);
      if (item.fState & MFS_CHECKED) out += L"[x]";
    }
  }
  return out;
}

bool parse(int argc, wchar_t** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::wstring name = argv[i];
    bool needsValue = name == L"--seconds" || name == L"--name" || name == L"--debug-line" ||
                      name == L"--builtin-items-off-at";
    if (needsValue && i + 1 >= argc) return false;
    if (name == L"--seconds") {
      options.seconds = static_cast<unsigned>(wcstoul(argv[++i], nullptr, 10));
    } else if (name == L"--name") {
      options.name = argv[++i];
    } else if (name == L"--debug-line") {
      options.debug = true;
      options.debugLine = argv[++i];
    } else if (name == L"--builtin-items-off-at") {
      options.builtinItemsOffAt = static_cast<unsigned>(wcstoul(argv[++i], nullptr, 10));
    } else if (name == L"--no-tray") {
      options.tray = false;
    } else if (name == L"--no-menu") {
      options.menuAllowed = false;
    } else if (name == L"--no-builtin-items") {
      options.builtinItems = false;
    } else {
      return false;
    }
  }
  return true;
}

std::wstring handleText(HWND hwnd) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%016llX", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
  return buffer;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    writeLine(L"usage: host_demo [--seconds N] [--no-tray] [--name TEXT] [--debug-line TEXT] [--no-menu] "
              L"[--no-builtin-items] [--builtin-items-off-at MS]");
    return 2;
  }
  vx::HostWindow host(GetModuleHandleW(nullptr), options.tray, stringOf(options.name),
                      vx::messageText(vx::MessageId::PausedPrefix));
  if (!host.created()) {
    writeLine(L"no host window");
    return 1;
  }
  host.setMenuAllowed(options.menuAllowed);
  host.tray().setBuiltinItemsWanted(options.builtinItems);
  if (options.debug) {
    host.setDebugTooltip(true);
    host.noteCurrentLine(stringOf(options.debugLine));
  }
  host.onSessionEnd = [&host] { writeLine(L"session-end method=" + std::to_wstring(host.exitMethod())); };
  writeLine(L"ready window=" + handleText(host.window()) + L" tray=" + (host.tray().shown() ? L"1" : L"0"));

  std::wstring lastState;
  const char* reason = "time";
  unsigned ticks = 0;
  ULONGLONG start = GetTickCount64();
  ULONGLONG lastTick = start;
  for (;;) {
    if (!host.pumpMessages()) {
      reason = "quit";
      break;
    }
    if (host.takeExitRequest()) {
      reason = "exit";
      break;
    }
    std::wstring state = L"paused=" + std::wstring(host.paused() ? L"1" : L"0") +
                         L" menu=" + describeMenu(host.tray().menu()) +
                         L" tooltip=" + escape(wideOf(host.tray().tooltip()));
    if (state != lastState) {
      writeLine(L"state " + state);
      lastState = state;
    }
    ULONGLONG now = GetTickCount64();
    if (now - start >= options.seconds * 1000ULL) break;
    if (options.builtinItemsOffAt && now - start >= options.builtinItemsOffAt) {
      host.tray().setBuiltinItemsWanted(false);
      options.builtinItemsOffAt = 0;
      writeLine(L"builtin-items off");
    }
    if (host.paused()) {
      host.idleWait(10);
      continue;
    }
    if (now - lastTick >= 50) {
      writeLine(L"tick " + std::to_wstring(++ticks));
      lastTick = now;
    }
    host.idleWait(5);
  }
  host.shutdown();
  std::wstring end = L"end reason=";
  for (const char* c = reason; *c; ++c) end += static_cast<wchar_t>(*c);
  writeLine(end + L" method=" + std::to_wstring(host.exitMethod()));
  return 0;
}

#include "frame/tray_icon.h"

#include <shellapi.h>

namespace vx {

namespace {

constexpr UINT kIconId = 1;
constexpr int kMainIcon = 99;
constexpr int kFlashIcon = 162;
constexpr int kPausedIcon = 164;
constexpr int kTrayIconSize = 16;
constexpr size_t kTooltipLimit = 127;  // szTip holds 128 units with the 0

const wchar_t* wide(const String& text) { return reinterpret_cast<const wchar_t*>(text.data()); }

// Shared icons belong to the system, so nothing here destroys them.
HICON loadSmallIcon(HINSTANCE instance, int id) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, kTrayIconSize,
                                       kTrayIconSize, LR_SHARED));
}

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

unsigned trayClickBit(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_MOUSEMOVE: return kTrayMouseMove;
    case WM_LBUTTONDOWN: return kTrayPrimaryDown;
    case WM_LBUTTONUP: return kTrayPrimaryUp;
    case WM_LBUTTONDBLCLK: return kTrayPrimaryDouble;
    case WM_RBUTTONDOWN: return kTraySecondaryDown;
    case WM_RBUTTONUP: return kTraySecondaryUp;
    case WM_RBUTTONDBLCLK: return kTraySecondaryDouble;
    default: return 0;
  }
}

TrayIcon::TrayIcon(HINSTANCE instance, const String& scriptFileName, const String& pausedPrefix)
    : scriptFileName_(scriptFileName),
      pausedPrefix_(pausedPrefix),
      pauseItemText_(u"Script Paused"),
      exitItemText_(u"Exit"),
      smallIcon_(loadSmallIcon(instance, kMainIcon)),
      pausedIcon_(loadSmallIcon(instance, kPausedIcon)),
      flashIcon_(loadSmallIcon(instance, kFlashIcon)) {}

TrayIcon::~TrayIcon() { remove(); }

void TrayIcon::attach(HWND owner) {
  owner_ = owner;
  if (!menu_) menu_.reset(CreatePopupMenu());
}

HICON TrayIcon::normalIcon() const { return scriptIcon_ ? scriptIcon_.get() : smallIcon_; }

bool TrayIcon::notify(DWORD action, UINT parts, HICON icon, const String& tip) {
  if (!owner_) return false;
  NOTIFYICONDATAW data = {};
  // The oldest layout that has the 128-unit tooltip, so older shells take it.
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data.hWnd = owner_;
  data.uID = kIconId;
  data.uFlags = parts;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = icon;
  if (parts & NIF_TIP) {
    size_t n = tip.length() < kTooltipLimit ? tip.length() : kTooltipLimit;
    for (size_t i = 0; i < n; ++i) data.szTip[i] = static_cast<wchar_t>(tip[i]);
  }
  return Shell_NotifyIconW(action, &data) != FALSE;
}

void TrayIcon::add(const TooltipFacts& facts) {
  OwnedIcon previous = std::move(scriptIcon_);
  if (!scriptIconFile_.empty()) {
    scriptIcon_.reset(static_cast<HICON>(LoadImageW(nullptr, wide(scriptIconFile_), IMAGE_ICON, kTrayIconSize,
                                                    kTrayIconSize, LR_LOADFROMFILE)));
  }
  blinkOn_ = false;
  if (shown_) {
    notify(NIM_MODIFY, NIF_MESSAGE | NIF_ICON, normalIcon(), String());
    updateTooltip(facts);
  } else {
    // Marked shown even when the shell is not up yet: its "TaskbarCreated"
    // then brings the icon in.
    shown_ = true;
    tooltip_ = composeTooltip(facts);
    notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP, normalIcon(), tooltip_);
  }
  // `previous` goes only now: the shell has its own copy of the new icon.
}

void TrayIcon::remove() {
  if (!shown_) return;
  shown_ = false;
  blinkOn_ = false;
  tooltip_ = String();
  notify(NIM_DELETE, 0, nullptr, String());
}

String TrayIcon::composeTooltip(const TooltipFacts& facts) const {
  String text;
  if (facts.debug) {
    if (facts.paused) text.append(pausedPrefix_);
    text.append(scriptFileName_);
    if (!facts.currentLine.empty()) {
      text.append(u"\nLine: ", 7);
      text.append(facts.currentLine);
    }
  } else if (!scriptTooltip_.empty()) {
    text = scriptTooltip_;
  } else {
    if (facts.paused) text.append(pausedPrefix_);
    text.append(scriptFileName_);
  }
  if (text.length() > kTooltipLimit) {
    size_t n = kTooltipLimit;
    if (isHighSurrogate(text[n - 1])) --n;
    text.resize(n);
  }
  return text;
}

void TrayIcon::updateTooltip(const TooltipFacts& facts) {
  if (!shown_) return;
  String text = composeTooltip(facts);
  if (text == tooltip_) return;  // the timer asks every 750 ms; most ticks change nothing
  tooltip_ = text;
  notify(NIM_MODIFY, NIF_TIP, nullptr, tooltip_);
}

void TrayIcon::blink(bool paused) {
  if (!shown_) return;
  HICON alternate = paused ? pausedIcon_ : flashing_ ? flashIcon_ : nullptr;
  if (alternate) {
    blinkOn_ = !blinkOn_;
  } else if (blinkOn_) {
    // Whichever alternate is left showing (paused or flash) gives way.
    blinkOn_ = false;
  } else {
    return;
  }
  notify(NIM_MODIFY, NIF_ICON, blinkOn_ ? alternate : normalIcon(), String());
}

bool TrayIcon::prepareMenu() {
  HMENU m = menu();
  if (!m) return false;
  if (builtinItemsWanted_ && !builtinItemsPresent_) {
    if (GetMenuItemCount(m) > 0) AppendMenuW(m, MF_SEPARATOR, kTraySeparatorBefore, nullptr);
    AppendMenuW(m, MF_STRING, kTrayCommandPause, wide(pauseItemText_));
    AppendMenuW(m, MF_SEPARATOR, kTraySeparatorBetween, nullptr);
    AppendMenuW(m, MF_STRING, kTrayCommandExit, wide(exitItemText_));
    builtinItemsPresent_ = true;
  } else if (!builtinItemsWanted_ && builtinItemsPresent_) {
    for (UINT id : {kTraySeparatorBefore, kTrayCommandPause, kTraySeparatorBetween, kTrayCommandExit})
      DeleteMenu(m, id, MF_BYCOMMAND);
    builtinItemsPresent_ = false;
  }
  return GetMenuItemCount(m) > 0;
}

void TrayIcon::checkPauseItem(bool checked) {
  if (menu_) CheckMenuItem(menu_.get(), kTrayCommandPause, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace vx

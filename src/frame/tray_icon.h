// The notification-area icon of the host window and its popup menu.
//
// Invariants:
// - At most one icon (id 1 of the owner window) is in the notification area,
//   and shown() says whether it is; every change goes through add/remove.
// - The built-in items, when present, are the last four of the menu, with the
//   command ids below; the script's own items always come before them.
// - While shown, the icon in the notification area is the normal icon, or
//   the paused or flash icon when the blink phase is on.
// - The tooltip given to the system never exceeds 127 units and never ends in
//   half of a surrogate pair.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "values/string.h"

namespace vx {

// Command ids of the built-in menu items.
enum TrayCommand : UINT {
  kTrayCommandExit = 3,
  kTrayCommandPause = 4,
  kTraySeparatorBefore = 5,  // parts the built-in items from the script's
  kTraySeparatorBetween = 6,
};

// The notification message the icon sends to its owner.
constexpr UINT kTrayCallbackMessage = WM_USER + 1;

// The click-mask bits of the icon's mouse notifications.
enum TrayClickBit : unsigned {
  kTrayPrimaryDown = 1,
  kTrayPrimaryUp = 2,
  kTrayPrimaryDouble = 4,
  kTraySecondaryDown = 8,
  kTraySecondaryUp = 16,
  kTraySecondaryDouble = 32,
  kTrayMouseMove = 64,
};

// The bit of a mouse notification, or 0 for a message without one.
unsigned trayClickBit(UINT mouseMessage);

// What the tooltip is made of; the host window keeps these.
struct TooltipFacts {
  bool paused = false;
  bool debug = false;
  String currentLine;
};

class TrayIcon {
 public:
  TrayIcon(HINSTANCE instance, const String& scriptFileName, const String& pausedPrefix);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Creates the popup menu for `owner` once; the icon's notifications go there.
  void attach(HWND owner);

  // Shows the icon, or refreshes icon and message when it is shown already.
  void add(const TooltipFacts& facts);
  void remove();
  bool shown() const { return shown_; }
  void updateTooltip(const TooltipFacts& facts);
  // The housekeeping timer's step: alternates the icons while paused or
  // flashing, and puts the normal one back when neither holds.
  void blink(bool paused);

  // The menu side of a click: true when a click with this bit may open the
  // menu at all (mask and menu allowed).
  bool clickOpensMenu(unsigned bit) const { return menuAllowed_ && (clickMask_ & bit) != 0; }
  // Adds or deletes the built-in items as wanted; false when the menu is
  // left empty and so must not open.
  bool prepareMenu();
  HMENU menu() const { return menu_.get(); }
  void checkPauseItem(bool checked);

  // Settings the script's tray family drives.
  bool builtinItemsWanted() const { return builtinItemsWanted_; }
  void setBuiltinItemsWanted(bool wanted) { builtinItemsWanted_ = wanted; }
  bool autoPause() const { return autoPause_; }
  void setAutoPause(bool on) { autoPause_ = on; }
  void setFlashing(bool on) { flashing_ = on; }
  void setClickMask(unsigned mask) { clickMask_ = mask; }
  void setMenuAllowed(bool allowed) { menuAllowed_ = allowed; }
  void setScriptTooltip(const String& text) { scriptTooltip_ = text; }
  // An icon file that replaces the normal icon from the next add() on;
  // an empty name goes back to the program's own icon.
  void setScriptIconFile(const String& path) { scriptIconFile_ = path; }

  // The text last handed to the notification area.
  const String& tooltip() const { return tooltip_; }
  // The text the tooltip has for these facts.
  String composeTooltip(const TooltipFacts& facts) const;

 private:
  struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
  };
  using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
  struct MenuDeleter {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
  };
  using OwnedMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

  HICON normalIcon() const;
  // Calls Shell_NotifyIcon with the given parts filled in.
  bool notify(DWORD action, UINT parts, HICON icon, const String& tip);

  HWND owner_ = nullptr;
  OwnedMenu menu_;
  String scriptFileName_;
  String pausedPrefix_;
  String pauseItemText_;
  String exitItemText_;

  bool builtinItemsWanted_ = true;
  bool builtinItemsPresent_ = false;
  bool autoPause_ = true;
  bool flashing_ = false;
  unsigned clickMask_ = kTrayPrimaryDown | kTraySecondaryDown;
  bool menuAllowed_ = true;
  bool shown_ = false;
  bool blinkOn_ = false;

  HICON smallIcon_;   // shared resources: the system owns them
  HICON pausedIcon_;
  HICON flashIcon_;
  OwnedIcon scriptIcon_;
  String scriptIconFile_;
  String scriptTooltip_;
  String tooltip_;
};

}  // namespace vx

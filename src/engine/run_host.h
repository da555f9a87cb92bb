// What the run loop needs from the program frame: the message pump, the
// user's pause and exit requests, and the owner for error boxes. The Windows
// frame implements it with the hidden host window and the tray icon; the
// native runner with a host that never pauses.
#pragma once

#include <cstdint>

#include "values/string.h"

namespace vx {

// What the run loop is to do before the next line.
enum class HostPoll {
  Run,
  Paused,
  Exit,  // the user asked the script to end (tray "Exit", a close message)
  Quit,  // the thread's quit message was taken
};

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Called between every two lines, so one call answers everything: serves
  // waiting messages without blocking (the host may look at its queue only
  // now and then), then says whether to run, stay paused, end or quit. An
  // exit request is reported once, and taking it also clears the pause.
  virtual HostPoll poll() = 0;
  // Sleeps about `milliseconds` while paused or waiting.
  virtual void idleWait(unsigned milliseconds) = 0;
  // 0 until the user ended the run: 2 tray "Exit", 3 logoff, 4 shutdown.
  virtual int exitMethod() const = 0;
  // The native window that owns error message boxes, or 0.
  virtual uintptr_t ownerWindow() const = 0;
  // The text of the line being run, for the tray tooltip's debug form.
  virtual void noteCurrentLine(const String& text) = 0;
  // Pauses or resumes the script as the tray menu item does.
  virtual void setPaused(bool paused) = 0;
  // Whether a click on the tray icon may open its menu (BREAK).
  virtual void setMenuAllowed(bool allowed) = 0;
  // The run has ended: destroy the window and drain the message queue.
  virtual void shutdown() = 0;
};

}  // namespace vx

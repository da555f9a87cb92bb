// A host with no window: nothing to pump, never paused. The native runner
// uses it, and so do runs that must not show anything.
#pragma once

#include "engine/run_host.h"
#include "platform/platform.h"

namespace vx {

class QuietHost final : public RunHost {
 public:
  HostPoll poll() override { return HostPoll::Run; }
  void idleWait(unsigned milliseconds) override { platform::sleepMilliseconds(milliseconds); }
  int exitMethod() const override { return 0; }
  uintptr_t ownerWindow() const override { return 0; }
  void noteCurrentLine(const String&) override {}
  void setMenuAllowed(bool) override {}
  void setPaused(bool) override {}
  void shutdown() override {}
};

}  // namespace vx

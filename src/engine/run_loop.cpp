// The run loop: between any two lines it pumps the host's messages and
// honours pause and exit; user-function calls and waits nest into it.
#include "engine/interpreter.h"
#include "platform/platform.h"

namespace vx {

namespace {

constexpr int kMaxRunDepth = 3900;

}  // namespace

int Interpreter::run(int startLine) {
  if (runDepth_ >= kMaxRunDepth) {
    raiseFatal(MessageId::RecursionExceeded, -1);
    return 1;
  }
  ++runDepth_;
  leaveLevel_ = false;
  if (startLine > 0) nextLine_ = startLine;
  RunHost& host = *host_;
  if (runDepth_ == 1 && !started_) {
    started_ = true;
    runStartupFunctions();
    leaveLevel_ = false;
    if (startLine > 0) nextLine_ = startLine;
  }
  while (!quit_) {
    if (leaveLevel_) break;
    const HostPoll poll = host.poll();
    if (poll == HostPoll::Quit) {
      quit_ = true;
      runState_ = RunState::Exiting;
    } else if (poll == HostPoll::Exit) {
      runState_ = RunState::Exiting;
      if (host.exitMethod() != 0) exitMethod = host.exitMethod();
    }
    if (runState_ == RunState::Exiting) break;
    if (poll == HostPoll::Paused) {
      host.idleWait(10);
      continue;
    }
    if (!adlibs_.empty() && serveAdlib()) continue;
    if (runState_ == RunState::Running) {
      executeNextLine();
      continue;
    }
    // A wait: poll it every 10 ms so events keep being served.
    host.idleWait(10);
    if (waitTimeout_ != 0 && platform::milliseconds() - waitStart_ >= waitTimeout_) {
      leaveLevel_ = true;
      runState_ = RunState::Running;
    }
  }
  leaveLevel_ = false;
  if (--runDepth_ == 0 && !quit_) {
    if (!finishing_) {
      finishing_ = true;
      runExitFunctions();
    }
    host.shutdown();
  }
  return 0;
}

void Interpreter::sleep(int32_t milliseconds) {
  if (milliseconds <= 0) {
    platform::sleepMilliseconds(0);
    return;
  }
  runState_ = RunState::Sleeping;
  waitTimeout_ = static_cast<uint32_t>(milliseconds);
  waitStart_ = platform::milliseconds();
  run(0);
}

void Interpreter::executeNextLine() {
  currentLine_ = nextLine_++;
  if (currentLine_ <= 0 || currentLine_ > script_.count()) {
    runState_ = RunState::Exiting;
    return;
  }
  executeTokens(script_.tokenLines()[static_cast<size_t>(currentLine_)], 0);
}

}  // namespace vx

// The one reporter of fatal run-time errors. Only the first error of a run is
// reported; errors while EXECUTE silences them are dropped (but for the
// recursion limit, which must always be seen).
#include <cstdio>

#include "engine/interpreter.h"
#include "platform/platform.h"

namespace vx {

namespace {

String decimal(long long n) {
  char buffer[24];
  snprintf(buffer, sizeof buffer, "%lld", n);
  return String::fromAscii(buffer);
}

}  // namespace

void Interpreter::raiseFatal(MessageId id, int column, const String& extra) {
  if (id == MessageId::RecursionExceeded) {
    if (runState_ == RunState::Exiting) return;
    silenced = false;
  } else if (silenced || runState_ == RunState::Exiting) {
    return;
  }
  String message = messageText(id);
  message.append(extra);
  const bool hasRecord = currentLine_ >= 1 && currentLine_ <= script_.count();
  const String text = hasRecord ? script_.lineText(currentLine_) : String();
  String caret;
  if (column >= 0) {
    caret = text.substr(0, static_cast<size_t>(column));
    caret.appendAscii("^ ERROR");
  }
  const String file = hasRecord ? script_.fileName(script_.fileIndex(currentLine_)) : scriptFullPath;
  const int lineNumber = hasRecord ? script_.lineNumber(currentLine_) : currentLine_;

  if (errorToStdout) {
    String out = file;
    out.appendAscii(" (");
    out.append(decimal(lineNumber));
    out.appendAscii(") : ==> ");
    out.append(message);
    out.appendAscii(":\n");
    if (hasRecord) {
      out.append(text);
      out.appendAscii("\n");
      out.append(caret);
      out.appendAscii("\n");
    }
    platform::writeStandardOutput(out);
  } else {
    String body = String::fromAscii("Line ");
    body.append(decimal(lineNumber));
    body.appendAscii("  (File \"");
    body.append(file);
    body.appendAscii("\"):\n\n");
    if (hasRecord) {
      body.append(text);
      body.appendAscii("\n");
    }
    if (column >= 0) {
      body.append(caret);
      body.appendAscii("\n");
    }
    body.appendAscii("\nError: ");
    body.append(message);
    platform::showErrorBox(body, messageText(MessageId::ErrorTitle), host_ ? host_->ownerWindow() : 0);
  }
  runState_ = RunState::Exiting;
  exitCode = setExitCodeOption ? 2147479552 + static_cast<int32_t>(id) : 1;
}

}  // namespace vx

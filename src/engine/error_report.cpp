// The one reporter of fatal run-time errors. Only the first error of a run is
// reported; errors while EXECUTE silences them are dropped (but for the
// recursion limit, which must always be seen).
#include "engine/interpreter.h"
#include "platform/platform.h"
#include "source/error_text.h"
#include "values/number_text.h"

namespace vx {

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
  const String caret = errorCaret(text, column);
  const String file = hasRecord ? script_.fileName(script_.fileIndex(currentLine_)) : scriptFullPath;
  const int lineNumber = hasRecord ? script_.lineNumber(currentLine_) : currentLine_;

  if (errorToStdout) {
    String out = file;
    out.appendAscii(" (");
    out.append(formatInt64(lineNumber));
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
    body.append(formatInt64(lineNumber));
    body.appendAscii("  (File \"");
    body.append(file);
    body.appendAscii("\"):\n\n");
    appendErrorDetail(body, hasRecord ? &text : nullptr, caret, message);
    platform::showErrorBox(body, messageText(MessageId::ErrorTitle), host_ ? host_->ownerWindow() : 0);
  }
  runState_ = RunState::Exiting;
  exitCode = setExitCodeOption ? 2147479552 + static_cast<int32_t>(id) : 1;
}

}  // namespace vx

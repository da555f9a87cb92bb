#include "source/load_report.h"

#include "engine/messages.h"
#include "platform/platform.h"
#include "source/error_text.h"
#include "values/number_text.h"

namespace vx {

namespace {

// "Line %d  (File "%s"):\n\n", or "Line %d:\n\n" when the line has no file.
String header(int line, const String& file) {
  String text = String::fromAscii("Line ");
  text.append(formatInt64(line));
  if (file.empty()) {
    text.appendAscii(":\n\n");
  } else {
    text.appendAscii("  (File \"");
    text.append(file);
    text.appendAscii("\"):\n\n");
  }
  return text;
}

// "%s (%d) : ==> %s<after>: \n%s \n%s\n"
String stdoutBlock(const String& file, int line, const String& message, const char* afterMessage,
                   const String& text, const String& caret) {
  String out = file;
  out.appendAscii(" (");
  out.append(formatInt64(line));
  out.appendAscii(") : ==> ");
  out.append(message);
  out.appendAscii(afterMessage);
  out.appendAscii(": \n");
  out.append(text);
  out.appendAscii(" \n");
  out.append(caret);
  out.appendAscii("\n");
  return out;
}

}  // namespace

void reportLoadError(const ScriptLines& store, const String& file, int line, const String& message,
                     const String& text) {
  if (store.errorToStdout) {
    platform::writeStandardOutput(stdoutBlock(file, line, message, ".", text, String()));
    return;
  }
  String body = header(line, file);
  body.append(text);
  body.appendAscii("\n\nError: ");
  body.append(message);
  body.appendAscii(".\n\n");
  platform::showErrorBox(body, messageText(MessageId::ErrorTitle), 0);
}

void reportLexError(const ScriptLines& store, int lineIndex, int messageId, int column) {
  if (lineIndex <= 0) return;
  const String& text = store.lineText(lineIndex);
  const String& file = store.fileName(store.fileIndex(lineIndex));
  const int line = store.lineNumber(lineIndex);
  const String message = messageText(messageId);
  const String caret = errorCaret(text, column);
  if (store.errorToStdout) {
    platform::writeStandardOutput(stdoutBlock(file, line, message, "", text, caret));
    return;
  }
  String body = header(line, file);
  appendErrorDetail(body, &text, caret, message);
  platform::showErrorBox(body, messageText(MessageId::ErrorTitle), 0);
}

void reportUnableToOpenScript(bool toStdout) {
  const String title = messageText(MessageId::ErrorTitle);
  const String message = messageText(MessageId::UnableToOpenScript);
  if (toStdout) {
    platform::writeStandardOutput(stdoutBlock(title, 0, message, "", String(), String()));
    return;
  }
  platform::showErrorBox(message, title, 0);
}

}  // namespace vx

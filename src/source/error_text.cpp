#include "source/error_text.h"

namespace vx {

String errorCaret(const String& text, int column) {
  if (column < 0) return String();
  String caret = text.substr(0, static_cast<size_t>(column));
  caret.appendAscii("^ ERROR");
  return caret;
}

void appendErrorDetail(String& body, const String* text, const String& caret, const String& message) {
  if (text) {
    body.append(*text);
    body.appendAscii("\n");
  }
  if (!caret.empty()) {
    body.append(caret);
    body.appendAscii("\n");
  }
  body.appendAscii("\nError: ");
  body.append(message);
}

}  // namespace vx

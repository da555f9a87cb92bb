// The parts of an error report that load-time and run-time errors share: the
// caret line under the failing text and the message box's text after its
// header.
#pragma once

#include "values/string.h"

namespace vx {

// The text up to `column` followed by "^ ERROR"; empty for no column (-1).
String errorCaret(const String& text, int column);

// Appends the line's text (when there is one), the caret line (when not
// empty), then "\nError: " and the message.
void appendErrorDetail(String& body, const String* text, const String& caret, const String& message);

}  // namespace vx

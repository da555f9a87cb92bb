// The lexer: one left-to-right pass over one line with one character of
// look-ahead, producing a TokenLine. It reports nothing itself; the caller
// decides whether and how an error is shown (lines lexed at run time are
// never reported).
#pragma once

#include "lexer/token.h"
#include "values/string.h"

namespace vx {

struct LexError {
  int messageId = 0;  // 5000, 5002, 5003 or 5004
  int column = 0;
};

// Empties `out` and lexes `text` into it. `isLastLine` allows the lone
// end-of-file mark (character 26) that old editors leave as a final line.
// On failure `out` holds the tokens made so far.
bool lexLine(const String& text, bool isLastLine, TokenLine& out, LexError& error);

}  // namespace vx

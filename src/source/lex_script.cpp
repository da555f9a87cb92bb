#include "source/lex_script.h"

#include "lexer/lexer.h"
#include "source/load_report.h"

namespace vx {

bool lexScript(ScriptLines& store) {
  std::vector<TokenLine>& tokens = store.tokenLines();
  if (!tokens.empty()) return true;
  const int n = store.count();
  if (n == 0) return false;
  tokens.resize(static_cast<size_t>(n) + 1);
  LexError error;
  for (int i = 1; i <= n; ++i) {
    if (!lexLine(store.lineText(i), i == n, tokens[static_cast<size_t>(i)], error)) {
      reportLexError(store, i, error.messageId, error.column);
      return false;
    }
  }
  return true;
}

}  // namespace vx

// A script error found before or while running: the line it belongs to, the
// message id and the caret column (-1 for none). Whoever finds it returns it;
// the caller decides how it is reported.
#pragma once

namespace vx {

struct ScriptError {
  int line = 0;
  int messageId = 0;
  int column = -1;
};

}  // namespace vx

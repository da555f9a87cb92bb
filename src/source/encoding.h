// Text encodings of script and data files, and how a file's encoding is told
// from its first bytes. The script reader and the file built-ins share this,
// so a file always reads the same way whichever of them opens it.
#pragma once

#include <cstddef>

namespace vx {

enum class TextEncoding : int { Ansi = 0, Utf16Le = 1, Utf16Be = 2, Utf8 = 4 };

struct DetectedEncoding {
  TextEncoding encoding;
  int bomLength;  // 0, 2 or 3 bytes to skip
};

// True when the bytes hold at least one non-ASCII byte and every multi-byte
// sequence is well-formed as far as the range goes (a sequence cut off by the
// end of the range passes, since the range is only a sample of the file).
bool passesUtf8Test(const unsigned char* bytes, size_t count);

DetectedEncoding detectEncoding(const unsigned char* bytes, size_t count);

}  // namespace vx

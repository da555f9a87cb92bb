// A 64 KB window over a byte stream that hands out physical lines as UTF-16
// text: the one line reader of the script loader and the file built-ins, so
// a file's lines come out the same whichever of them reads it.
// Line ends are CR LF, LF or a lone CR, freely mixed; a final line end does
// not make an extra empty line.
//
// The stream is read through a plain function and its context, so the same
// buffer serves any kind of file without a virtual interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "source/encoding.h"
#include "values/string.h"

namespace vx {

// Reads up to `size` bytes: the number read, 0 at the end, -1 on an error.
using ByteReader = long long (*)(void* context, void* buffer, size_t size);

class LineBuffer {
 public:
  static constexpr size_t kSize = 65536;

  LineBuffer(ByteReader reader, void* context);

  // Empties the window, which from now on starts at stream offset `base`.
  void reset(uint64_t base);
  // Keeps the unread bytes, moved to the front, and reads more after them;
  // false when nothing more came.
  bool fill();

  const unsigned char* data() const { return bytes_.get(); }
  size_t filled() const { return fill_; }
  bool hasUnread() const { return cursor_ < fill_; }
  // The stream offset of the next unread byte.
  uint64_t position() const { return base_ + cursor_; }
  // Moves to stream offset `target` when it lies within the window.
  bool moveWithin(uint64_t target);

  // Appends up to `count` bytes to `out`; the number read.
  size_t readBytes(size_t count, std::string& out);
  // The next physical line without its line end, decoded; false at the end.
  bool readLine(TextEncoding encoding, String& line);

 private:
  bool readByteLine(std::string& bytes);
  bool readUnitLine(bool bigEndian, String& line);

  ByteReader reader_;
  void* context_;
  std::unique_ptr<unsigned char[]> bytes_;
  size_t fill_ = 0;
  size_t cursor_ = 0;
  uint64_t base_ = 0;  // stream offset of bytes_[0]
  std::string byteLine_;  // reused between lines
};

}  // namespace vx

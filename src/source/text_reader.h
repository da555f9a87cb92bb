// The read side of the buffered text file: opens a file, tells its encoding
// from the first 64 KB, and hands out physical lines as UTF-16 text.
// Line ends are CR LF, LF or a lone CR, freely mixed; a final line end does
// not make an extra empty line.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"
#include "source/encoding.h"
#include "values/string.h"

namespace vx {

class TextReader {
 public:
  static constexpr size_t kBufferSize = 65536;

  TextReader();
  bool open(const String& path);
  void close() { file_.close(); }

  TextEncoding encoding() const { return encoding_; }
  int bomLength() const { return bomLength_; }

  // Reads the next physical line without its line end; false at the end.
  bool readLine(String& line);

 private:
  bool fill();
  bool readByteLine(std::string& bytes);
  bool readUnitLine(String& line);

  platform::ReadableFile file_;
  std::unique_ptr<unsigned char[]> buffer_;
  size_t fill_ = 0;
  size_t cursor_ = 0;
  bool atEnd_ = false;
  TextEncoding encoding_ = TextEncoding::Ansi;
  int bomLength_ = 0;
  std::string byteLine_;  // reused between lines
};

}  // namespace vx

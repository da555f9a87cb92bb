// The script loader's text file: opens a file, tells its encoding from the
// first 64 KB, and hands out its physical lines as UTF-16 text.
#pragma once

#include "platform/platform.h"
#include "source/encoding.h"
#include "source/line_buffer.h"
#include "values/string.h"

namespace vx {

class TextReader {
 public:
  TextReader();
  bool open(const String& path);
  void close() { file_.close(); }

  TextEncoding encoding() const { return encoding_; }
  int bomLength() const { return bomLength_; }

  // Reads the next physical line without its line end; false at the end.
  bool readLine(String& line) { return buffer_.readLine(encoding_, line); }

 private:
  static long long readFile(void* file, void* buffer, size_t size);

  platform::ReadableFile file_;
  LineBuffer buffer_;
  TextEncoding encoding_ = TextEncoding::Ansi;
  int bomLength_ = 0;
};

}  // namespace vx

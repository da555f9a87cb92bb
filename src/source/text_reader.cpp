#include "source/text_reader.h"

#include <cstring>

namespace vx {

TextReader::TextReader() : buffer_(new unsigned char[kBufferSize]) {}

bool TextReader::open(const String& path) {
  fill_ = cursor_ = 0;
  atEnd_ = false;
  if (!file_.open(path)) return false;
  // The first buffer is also the sample the encoding is told from.
  fill();
  DetectedEncoding detected = detectEncoding(buffer_.get(), fill_);
  encoding_ = detected.encoding;
  bomLength_ = detected.bomLength;
  cursor_ = static_cast<size_t>(bomLength_);
  return true;
}

bool TextReader::fill() {
  if (atEnd_) return false;
  size_t kept = fill_ - cursor_;
  if (kept > 0 && cursor_ > 0) memmove(buffer_.get(), buffer_.get() + cursor_, kept);
  fill_ = kept;
  cursor_ = 0;
  long long got = file_.read(buffer_.get() + fill_, kBufferSize - fill_);
  if (got <= 0) {
    atEnd_ = true;
    return false;
  }
  fill_ += static_cast<size_t>(got);
  return true;
}

bool TextReader::readByteLine(std::string& bytes) {
  bytes.clear();
  bool any = false;
  for (;;) {
    if (cursor_ >= fill_ && !fill()) return any;
    any = true;
    const unsigned char* start = buffer_.get() + cursor_;
    const unsigned char* end = buffer_.get() + fill_;
    const unsigned char* p = start;
    while (p < end && *p != '\r' && *p != '\n') ++p;
    bytes.append(reinterpret_cast<const char*>(start), static_cast<size_t>(p - start));
    cursor_ += static_cast<size_t>(p - start);
    if (p == end) continue;
    unsigned char ending = *p;
    ++cursor_;
    if (ending == '\r') {
      if (cursor_ >= fill_) fill();
      if (cursor_ < fill_ && buffer_[cursor_] == '\n') ++cursor_;
    }
    return true;
  }
}

bool TextReader::readUnitLine(String& line) {
  line.clear();
  const bool bigEndian = encoding_ == TextEncoding::Utf16Be;
  bool any = false;
  bool pendingCr = false;
  for (;;) {
    if (fill_ - cursor_ < 2) {
      fill();
      if (fill_ - cursor_ < 2) return any;  // a lone trailing byte is dropped
    }
    const unsigned char* b = buffer_.get() + cursor_;
    char16_t unit = bigEndian ? static_cast<char16_t>((b[0] << 8) | b[1]) : static_cast<char16_t>(b[0] | (b[1] << 8));
    if (pendingCr) {
      if (unit == u'\n') cursor_ += 2;
      return true;
    }
    cursor_ += 2;
    any = true;
    if (unit == u'\n') return true;
    if (unit == u'\r') {
      pendingCr = true;
      continue;
    }
    line.append(unit);
  }
}

bool TextReader::readLine(String& line) {
  if (encoding_ == TextEncoding::Utf16Le || encoding_ == TextEncoding::Utf16Be) return readUnitLine(line);
  if (!readByteLine(byteLine_)) {
    line.clear();
    return false;
  }
  if (encoding_ == TextEncoding::Utf8) {
    bool ok = true;
    line = String::fromUtf8(byteLine_.data(), byteLine_.size(), &ok);
    if (!ok) line.clear();
  } else {
    line = platform::ansiToUtf16(byteLine_.data(), byteLine_.size());
  }
  return true;
}

}  // namespace vx

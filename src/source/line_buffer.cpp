#include "source/line_buffer.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace vx {

LineBuffer::LineBuffer(ByteReader reader, void* context)
    : reader_(reader), context_(context), bytes_(std::make_unique<unsigned char[]>(kSize)) {}

void LineBuffer::reset(uint64_t base) {
  base_ = base;
  fill_ = cursor_ = 0;
}

bool LineBuffer::fill() {
  const size_t kept = fill_ - cursor_;
  if (kept > 0 && cursor_ > 0) memmove(bytes_.get(), bytes_.get() + cursor_, kept);
  base_ += cursor_;
  fill_ = kept;
  cursor_ = 0;
  const long long got = reader_(context_, bytes_.get() + fill_, kSize - fill_);
  if (got <= 0) return false;
  fill_ += static_cast<size_t>(got);
  return true;
}

bool LineBuffer::moveWithin(uint64_t target) {
  if (fill_ == 0 || target < base_ || target > base_ + fill_) return false;
  cursor_ = static_cast<size_t>(target - base_);
  return true;
}

size_t LineBuffer::readBytes(size_t count, std::string& out) {
  size_t total = 0;
  while (total < count) {
    if (cursor_ >= fill_ && !fill()) break;
    const size_t n = std::min(count - total, fill_ - cursor_);
    out.append(reinterpret_cast<const char*>(bytes_.get() + cursor_), n);
    cursor_ += n;
    total += n;
  }
  return total;
}

bool LineBuffer::readByteLine(std::string& bytes) {
  bytes.clear();
  bool any = false;
  for (;;) {
    if (cursor_ >= fill_ && !fill()) return any;
    any = true;
    const unsigned char* start = bytes_.get() + cursor_;
    const unsigned char* end = bytes_.get() + fill_;
    const unsigned char* p = start;
    while (p < end && *p != '\r' && *p != '\n') ++p;
    bytes.append(reinterpret_cast<const char*>(start), static_cast<size_t>(p - start));
    cursor_ += static_cast<size_t>(p - start);
    if (p == end) continue;
    const unsigned char ending = *p;
    ++cursor_;
    if (ending == '\r') {
      if (cursor_ >= fill_) fill();
      if (cursor_ < fill_ && bytes_[cursor_] == '\n') ++cursor_;
    }
    return true;
  }
}

bool LineBuffer::readUnitLine(bool bigEndian, String& line) {
  line.clear();
  bool any = false;
  bool pendingCr = false;
  for (;;) {
    if (fill_ - cursor_ < 2) {
      fill();
      if (fill_ - cursor_ < 2) return any;  // a lone trailing byte is dropped
    }
    const unsigned char* b = bytes_.get() + cursor_;
    const char16_t unit =
        bigEndian ? static_cast<char16_t>((b[0] << 8) | b[1]) : static_cast<char16_t>(b[0] | (b[1] << 8));
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

bool LineBuffer::readLine(TextEncoding encoding, String& line) {
  if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be)
    return readUnitLine(encoding == TextEncoding::Utf16Be, line);
  if (!readByteLine(byteLine_)) {
    line.clear();
    return false;
  }
  if (encoding == TextEncoding::Utf8) {
    bool ok = true;
    line = String::fromUtf8(byteLine_.data(), byteLine_.size(), &ok);
    if (!ok) line.clear();
  } else {
    line = platform::ansiToUtf16(byteLine_.data(), byteLine_.size());
  }
  return true;
}

}  // namespace vx

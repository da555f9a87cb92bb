#include "builtins/files/file_text.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace vx {

using platform::SeekOrigin;

namespace {

// The UTF-8 test, fed block by block so that a sequence split between two
// reads is judged whole. A sequence cut off by the end of a sample passes,
// but one cut off by the end of the file does not: a lone ANSI letter such
// as E9 as the last byte must not turn the whole file into UTF-8.
struct Utf8Check {
  bool sawHighByte = false;
  bool valid = true;
  int trailing = 0;

  void feed(const unsigned char* bytes, size_t count) {
    for (size_t i = 0; valid && i < count; ++i) {
      const unsigned char b = bytes[i];
      if (trailing > 0) {
        valid = b >= 0x80 && b <= 0xBF;
        --trailing;
      } else if (b >= 0x80) {
        sawHighByte = true;
        if (b >= 0xC2 && b <= 0xDF) trailing = 1;
        else if (b >= 0xE0 && b <= 0xEF) trailing = 2;
        else if (b >= 0xF0 && b <= 0xF4) trailing = 3;
        else valid = false;
      }
    }
  }
  bool passes(bool atFileEnd) const { return valid && sawHighByte && !(atFileEnd && trailing > 0); }
};

}  // namespace

TextFile::TextFile() : buffer_(new unsigned char[kBufferSize]) {}

bool TextFile::open(const String& path, int mode) {
  file_.close();
  fill_ = cursor_ = 0;
  base_ = 0;
  encoding_ = TextEncoding::Ansi;
  bomLength_ = 0;
  const bool append = (mode & kFileAppend) != 0;
  const bool erase = !append && (mode & kFileErase) != 0;
  if (!append && !erase) mode |= kFileRead;
  mode_ = mode;

  platform::FileAccess access = platform::FileAccess::ReadWrite;
  platform::FileDisposition disposition = platform::FileDisposition::OpenAlways;
  if (erase) disposition = platform::FileDisposition::CreateAlways;
  if (mode & kFileRead) {
    access = platform::FileAccess::Read;
    disposition = platform::FileDisposition::OpenExisting;
  }
  if (!file_.open(path, access, disposition)) return false;

  if (!isBinary() && !erase) takeEncoding(mode);
  if (mode & kFileRead) {
    seek(bomLength_, SeekOrigin::Start);
    return true;
  }
  int64_t end = 0;
  if (append) {
    fill_ = cursor_ = 0;
    end = file_.seek(0, SeekOrigin::End);
    base_ = end > 0 ? static_cast<uint64_t>(end) : 0;
  }
  // An existing file keeps the encoding it was found in; only a new or
  // emptied file gets the requested mark.
  if (isBinary() || end > 0) return true;
  static const unsigned char kLe[] = {0xFF, 0xFE}, kBe[] = {0xFE, 0xFF}, kUtf8[] = {0xEF, 0xBB, 0xBF};
  const unsigned char* mark = nullptr;
  size_t length = 0;
  if (mode & kFileUtf16Le) {
    encoding_ = TextEncoding::Utf16Le, mark = kLe, length = 2;
  } else if (mode & kFileUtf16Be) {
    encoding_ = TextEncoding::Utf16Be, mark = kBe, length = 2;
  } else if (mode & kFileUtf8Bom) {
    encoding_ = TextEncoding::Utf8, mark = kUtf8, length = 3;
  } else if (mode & kFileUtf8) {
    encoding_ = TextEncoding::Utf8;
  } else {
    encoding_ = TextEncoding::Ansi;
  }
  bomLength_ = static_cast<int>(length);
  if (length > 0 && !write(mark, length)) {
    file_.close();
    return false;
  }
  return true;
}

void TextFile::takeEncoding(int mode) {
  if (mode & (kFileUtf8Bom | kFileUtf8)) encoding_ = TextEncoding::Utf8;
  else if (mode & kFileUtf16Le) encoding_ = TextEncoding::Utf16Le;
  else if (mode & kFileUtf16Be) encoding_ = TextEncoding::Utf16Be;
  // The file was just opened, so this first buffer is its first 64 KB.
  fill();
  const DetectedEncoding found = detectEncoding(buffer_.get(), fill_);
  if (found.bomLength > 0) {
    encoding_ = found.encoding;
    bomLength_ = found.bomLength;
  } else if (encoding_ == TextEncoding::Ansi) {
    bool utf8;
    if ((mode & kFileWholeUtf8Test) && fill_ == kBufferSize) {
      utf8 = wholeFileIsUtf8();
    } else {
      Utf8Check check;
      check.feed(buffer_.get(), fill_);
      utf8 = check.passes(fill_ < kBufferSize);  // a short first read is the whole file
    }
    if (utf8) encoding_ = TextEncoding::Utf8;
  }
}

bool TextFile::wholeFileIsUtf8() {
  std::unique_ptr<unsigned char[]> block(new unsigned char[kBufferSize]);
  file_.seek(0, SeekOrigin::Start);
  Utf8Check check;
  for (long long got; check.valid && (got = file_.read(block.get(), kBufferSize)) > 0;)
    check.feed(block.get(), static_cast<size_t>(got));
  file_.seek(static_cast<int64_t>(base_ + fill_), SeekOrigin::Start);
  return check.passes(true);
}

int TextFile::encodingCode() const {
  switch (encoding_) {
    case TextEncoding::Utf16Le: return kFileUtf16Le;
    case TextEncoding::Utf16Be: return kFileUtf16Be;
    case TextEncoding::Utf8: return bomLength_ == 3 ? kFileUtf8Bom : kFileUtf8;
    default: return 0;
  }
}

bool TextFile::fill() {
  const size_t kept = fill_ - cursor_;
  if (kept > 0 && cursor_ > 0) memmove(buffer_.get(), buffer_.get() + cursor_, kept);
  base_ += cursor_;
  fill_ = kept;
  cursor_ = 0;
  const long long got = file_.read(buffer_.get() + fill_, kBufferSize - fill_);
  if (got <= 0) return false;
  fill_ += static_cast<size_t>(got);
  return true;
}

void TextFile::dropBuffer() {
  if (fill_ != cursor_) file_.seek(position(), SeekOrigin::Start);
  base_ += cursor_;
  fill_ = cursor_ = 0;
}

bool TextFile::seek(int64_t offset, SeekOrigin origin) {
  if (origin != SeekOrigin::End && fill_ > 0) {
    const int64_t target = origin == SeekOrigin::Start ? offset : position() + offset;
    const int64_t start = static_cast<int64_t>(base_);
    if (target >= start && target <= start + static_cast<int64_t>(fill_)) {
      cursor_ = static_cast<size_t>(target - start);
      return true;
    }
  }
  dropBuffer();  // the system pointer is now at the logical position
  const int64_t now = file_.seek(offset, origin);
  if (now < 0) return false;
  base_ = static_cast<uint64_t>(now);
  return true;
}

int64_t TextFile::remainingBytes() {
  const int64_t size = file_.size();
  return size > position() ? size - position() : 0;
}

size_t TextFile::readBytes(size_t count, std::string& out) {
  size_t total = 0;
  while (total < count) {
    if (cursor_ >= fill_ && !fill()) break;
    const size_t n = std::min(count - total, fill_ - cursor_);
    out.append(reinterpret_cast<const char*>(buffer_.get() + cursor_), n);
    cursor_ += n;
    total += n;
  }
  return total;
}

bool TextFile::write(const void* bytes, size_t size) {
  dropBuffer();
  if (!file_.write(bytes, size)) {
    // Part of it may have gone out: take the position from the system.
    const int64_t now = file_.seek(0, SeekOrigin::Current);
    if (now >= 0) base_ = static_cast<uint64_t>(now);
    return false;
  }
  base_ += size;
  return true;
}

bool TextFile::readByteLine(std::string& bytes) {
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
    const unsigned char ending = *p;
    ++cursor_;
    if (ending == '\r') {
      if (cursor_ >= fill_) fill();
      if (cursor_ < fill_ && buffer_[cursor_] == '\n') ++cursor_;
    }
    return true;
  }
}

bool TextFile::readUnitLine(String& line) {
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

bool TextFile::readLine(String& line) {
  if (!isBinary() && (encoding_ == TextEncoding::Utf16Le || encoding_ == TextEncoding::Utf16Be))
    return readUnitLine(line);
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

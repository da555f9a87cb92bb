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

TextFile::TextFile() : buffer_(readFile, &file_) {}

long long TextFile::readFile(void* file, void* buffer, size_t size) {
  return static_cast<platform::File*>(file)->read(buffer, size);
}

bool TextFile::open(const String& path, int mode) {
  file_.close();
  buffer_.reset(0);
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
    end = file_.seek(0, SeekOrigin::End);
    buffer_.reset(end > 0 ? static_cast<uint64_t>(end) : 0);
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
  buffer_.fill();
  const size_t sampled = buffer_.filled();
  const DetectedEncoding found = detectEncoding(buffer_.data(), sampled);
  if (found.bomLength > 0) {
    encoding_ = found.encoding;
    bomLength_ = found.bomLength;
  } else if (encoding_ == TextEncoding::Ansi) {
    bool utf8;
    if ((mode & kFileWholeUtf8Test) && sampled == LineBuffer::kSize) {
      utf8 = wholeFileIsUtf8();
    } else {
      Utf8Check check;
      check.feed(buffer_.data(), sampled);
      utf8 = check.passes(sampled < LineBuffer::kSize);  // a short first read is the whole file
    }
    if (utf8) encoding_ = TextEncoding::Utf8;
  }
}

bool TextFile::wholeFileIsUtf8() {
  auto block = std::make_unique<unsigned char[]>(LineBuffer::kSize);
  const int64_t pointer = file_.seek(0, SeekOrigin::Current);
  file_.seek(0, SeekOrigin::Start);
  Utf8Check check;
  for (long long got; check.valid && (got = file_.read(block.get(), LineBuffer::kSize)) > 0;)
    check.feed(block.get(), static_cast<size_t>(got));
  file_.seek(pointer, SeekOrigin::Start);
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

void TextFile::dropBuffer() {
  if (buffer_.hasUnread()) file_.seek(position(), SeekOrigin::Start);
  buffer_.reset(buffer_.position());
}

bool TextFile::seek(int64_t offset, SeekOrigin origin) {
  if (origin != SeekOrigin::End) {
    const int64_t target = origin == SeekOrigin::Start ? offset : position() + offset;
    if (target >= 0 && buffer_.moveWithin(static_cast<uint64_t>(target))) return true;
  }
  dropBuffer();  // the system pointer is now at the logical position
  const int64_t now = file_.seek(offset, origin);
  if (now < 0) return false;
  buffer_.reset(static_cast<uint64_t>(now));
  return true;
}

int64_t TextFile::remainingBytes() {
  const int64_t size = file_.size();
  return size > position() ? size - position() : 0;
}

bool TextFile::write(const void* bytes, size_t size) {
  dropBuffer();
  if (!file_.write(bytes, size)) {
    // Part of it may have gone out: take the position from the system.
    const int64_t now = file_.seek(0, SeekOrigin::Current);
    if (now >= 0) buffer_.reset(static_cast<uint64_t>(now));
    return false;
  }
  buffer_.reset(buffer_.position() + size);
  return true;
}

}  // namespace vx

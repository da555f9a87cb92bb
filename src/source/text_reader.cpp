#include "source/text_reader.h"

namespace vx {

TextReader::TextReader() : buffer_(readFile, &file_) {}

long long TextReader::readFile(void* file, void* buffer, size_t size) {
  return static_cast<platform::ReadableFile*>(file)->read(buffer, size);
}

bool TextReader::open(const String& path) {
  buffer_.reset(0);
  if (!file_.open(path)) return false;
  // The first buffer is also the sample the encoding is told from.
  buffer_.fill();
  const DetectedEncoding detected = detectEncoding(buffer_.data(), buffer_.filled());
  encoding_ = detected.encoding;
  bomLength_ = detected.bomLength;
  buffer_.moveWithin(static_cast<uint64_t>(bomLength_));
  return true;
}

}  // namespace vx

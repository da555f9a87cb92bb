#include "values/binary_text.h"

#include <cstdint>
#include <cstring>

#include "platform/platform.h"
#include "values/number_text.h"
#include "values/variant.h"

namespace vx {

namespace {

// Written byte by byte so the order does not depend on the host.
std::string littleEndian(uint64_t value, int count) {
  std::string bytes(static_cast<size_t>(count), '\0');
  for (int i = 0; i < count; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

}  // namespace

std::string bytesOfString(const String& s) {
  const size_t n = s.length();
  if (n >= 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X') && n % 2 == 0) {
    std::string bytes;
    bytes.reserve((n - 2) / 2);
    bool valid = true;
    for (size_t i = 2; i < n && valid; i += 2) {
      uint64_t byte = 0;
      valid = parseHexDigits(s.data() + i, 2, 2, &byte);
      bytes += static_cast<char>(byte);
    }
    if (valid) return bytes;
  }
  std::string bytes = platform::utf16ToAnsi(s);
  bytes.resize(n);
  return bytes;
}

std::string bytesOfValue(const Variant& v) {
  switch (v.type()) {
    case VType::Binary: {
      const BinaryBlock* block = v.binary();
      return std::string(reinterpret_cast<const char*>(block->bytes), block->length);
    }
    case VType::Int32:
      return littleEndian(static_cast<uint32_t>(v.int32Value()), 4);
    case VType::Ptr:
      return littleEndian(static_cast<uint32_t>(v.ptrValue()), 4);
    case VType::Int64:
      return littleEndian(static_cast<uint64_t>(v.int64Value()), 8);
    case VType::Double: {
      const double d = v.doubleValue();
      uint64_t bits;
      std::memcpy(&bits, &d, sizeof bits);
      return littleEndian(bits, 8);
    }
    case VType::Bool:
      return std::string(1, v.boolValue() ? '\1' : '\0');
    case VType::Keyword:
      return littleEndian(static_cast<uint32_t>(v.keyword()->number), 4);
    case VType::String:
      return bytesOfString(v.asString());
    default:
      return std::string();
  }
}

}  // namespace vx

// Binary values: making them from any value, measuring and slicing them, and
// converting text to and from bytes in the ANSI code page, UTF-16 (either
// byte order) and UTF-8.
#include <string>

#include "builtins/registry.h"
#include "engine/interpreter.h"
#include "platform/platform.h"
#include "values/binary_text.h"

namespace vx {

namespace {

enum class Encoding { Ansi, Utf16Little, Utf16Big, Utf8 };

// Flags other than 2, 3 and 4 mean the ANSI code page.
Encoding encodingOf(Variant* a, int count) {
  switch (count > 1 ? a[1].toInt32() : 1) {
    case 2: return Encoding::Utf16Little;
    case 3: return Encoding::Utf16Big;
    case 4: return Encoding::Utf8;
    default: return Encoding::Ansi;
  }
}

void setBytes(Variant& r, const std::string& bytes) { r.setBinary(bytes.data(), bytes.size()); }

// Malformed input becomes U+FFFD, one per maximal bad subsequence, as the
// system's UTF-8 decoder does; nothing is dropped silently.
String decodeUtf8(const unsigned char* p, size_t n) {
  String out;
  out.reserve(n);
  size_t i = 0;
  while (i < n) {
    const unsigned char lead = p[i++];
    if (lead < 0x80) {
      out.append(static_cast<char16_t>(lead));
      continue;
    }
    int need;
    uint32_t cp;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) need = 1, cp = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF) need = 2, cp = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4) need = 3, cp = lead & 0x07;
    else need = 0, cp = 0;
    if (lead == 0xE0) low = 0xA0;
    else if (lead == 0xED) high = 0x9F;
    else if (lead == 0xF0) low = 0x90;
    else if (lead == 0xF4) high = 0x8F;
    bool complete = need > 0;
    for (int k = 0; k < need; ++k) {
      if (i >= n || p[i] < low || p[i] > high) {
        complete = false;
        break;
      }
      cp = (cp << 6) | (p[i++] & 0x3F);
      low = 0x80, high = 0xBF;
    }
    if (!complete) {
      out.append(u'\xFFFD');
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      out.append(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.append(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.append(static_cast<char16_t>(cp));
    }
  }
  return out;
}

int binary(Interpreter&, Variant* a, int, Variant& r) {
  if (a[0].isBinary()) r = a[0];
  else setBytes(r, bytesOfValue(a[0]));
  return 0;
}

int binaryLen(Interpreter&, Variant* a, int, Variant& r) {
  if (const BinaryBlock* block = a[0].binary()) r.setInt32(static_cast<int32_t>(block->length));
  else r.setInt32(static_cast<int32_t>(bytesOfValue(a[0]).size()));
  return 0;
}

int binaryMid(Interpreter&, Variant* a, int count, Variant& r) {
  const std::string bytes = bytesOfValue(a[0]);
  const int64_t length = static_cast<int64_t>(bytes.size());
  const int64_t start = a[1].toInt32();
  if (start < 1 || start > length) {
    r.setBinary(nullptr, 0);
    return 0;
  }
  const int64_t rest = length - start + 1;
  int64_t n = count > 2 ? a[2].toInt32() : rest;
  if (n < 0 || n > rest) n = rest;
  r.setBinary(bytes.data() + (start - 1), static_cast<size_t>(n));
  return 0;
}

int stringToBinary(Interpreter&, Variant* a, int count, Variant& r) {
  const String& text = a[0].stringForm();
  std::string bytes;
  switch (encodingOf(a, count)) {
    case Encoding::Ansi:
      bytes = platform::utf16ToAnsi(text);
      break;
    case Encoding::Utf16Little:
    case Encoding::Utf16Big: {
      const bool big = encodingOf(a, count) == Encoding::Utf16Big;
      bytes.resize(text.length() * 2);
      for (size_t i = 0; i < text.length(); ++i) {
        const char lowByte = static_cast<char>(text[i] & 0xFF), highByte = static_cast<char>(text[i] >> 8);
        bytes[2 * i] = big ? highByte : lowByte;
        bytes[2 * i + 1] = big ? lowByte : highByte;
      }
      break;
    }
    case Encoding::Utf8:
      bytes = text.toUtf8();
      break;
  }
  setBytes(r, bytes);
  return 0;
}

int binaryToString(Interpreter& vm, Variant* a, int count, Variant& r) {
  const std::string bytes = bytesOfValue(a[0]);
  const Encoding encoding = encodingOf(a, count);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  r.setString(String());
  if (n == 0) {
    vm.setError(1);
    return 0;
  }
  switch (encoding) {
    case Encoding::Ansi:
      r.setString(platform::ansiToUtf16(bytes.data(), n));
      break;
    case Encoding::Utf16Little:
    case Encoding::Utf16Big: {
      if (n % 2 != 0) {
        vm.setError(2);
        return 0;
      }
      const bool big = encoding == Encoding::Utf16Big;
      String text;
      text.resize(n / 2);
      char16_t* units = text.mutableData();
      for (size_t i = 0; i < n / 2; ++i) {
        const unsigned first = p[2 * i], second = p[2 * i + 1];
        units[i] = static_cast<char16_t>(big ? (first << 8) | second : (second << 8) | first);
      }
      r.setString(std::move(text));
      break;
    }
    case Encoding::Utf8:
      r.setString(decodeUtf8(p, n));
      break;
  }
  return 0;
}

}  // namespace

void registerBinaryBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::BINARY, binary);
  vm.registerBuiltin(BuiltinId::BINARYLEN, binaryLen);
  vm.registerBuiltin(BuiltinId::BINARYMID, binaryMid);
  vm.registerBuiltin(BuiltinId::STRINGTOBINARY, stringToBinary);
  vm.registerBuiltin(BuiltinId::BINARYTOSTRING, binaryToString);
}

}  // namespace vx

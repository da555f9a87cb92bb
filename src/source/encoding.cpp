#include "source/encoding.h"

namespace vx {

bool passesUtf8Test(const unsigned char* bytes, size_t count) {
  bool sawHighByte = false;
  size_t i = 0;
  while (i < count) {
    unsigned char b = bytes[i++];
    if (b < 0x80) continue;
    sawHighByte = true;
    int trailing;
    if (b >= 0xC2 && b <= 0xDF) trailing = 1;
    else if (b >= 0xE0 && b <= 0xEF) trailing = 2;
    else if (b >= 0xF0 && b <= 0xF4) trailing = 3;
    else return false;
    for (; trailing > 0 && i < count; --trailing, ++i)
      if (bytes[i] < 0x80 || bytes[i] > 0xBF) return false;
  }
  return sawHighByte;
}

DetectedEncoding detectEncoding(const unsigned char* bytes, size_t count) {
  if (count >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return {TextEncoding::Utf16Le, 2};
  if (count >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return {TextEncoding::Utf16Be, 2};
  if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return {TextEncoding::Utf8, 3};
  if (passesUtf8Test(bytes, count)) return {TextEncoding::Utf8, 0};
  return {TextEncoding::Ansi, 0};
}

}  // namespace vx

// The bytes a value stands for wherever the language needs a byte string:
// BINARY and its relatives, and a String meeting a Binary in a comparison.
#pragma once

#include <string>

#include "values/string.h"

namespace vx {

class Variant;

// "0x" followed by an even number of hexadecimal digits (either case) spells
// the bytes; any other text is its ANSI bytes, one per code unit.
std::string bytesOfString(const String& s);

// Binary unchanged; Int32 and Ptr 4 bytes, Int64 8, little-endian; Double its
// 8 IEEE bytes; Bool 1 byte; Keyword the 4 bytes of its number; String as
// bytesOfString; anything else (arrays, objects, structs) no bytes.
std::string bytesOfValue(const Variant& v);

}  // namespace vx

// Variant: the slow paths of copying and releasing, and the conversions to
// numbers, text and truth values.
#include "values/variant.h"

#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "values/array_storage.h"
#include "values/number_text.h"

namespace vx {

const KeywordRecord kDefaultKeyword = {41, -1, u"Default"};

namespace {

BinaryBlock* allocateBinary(size_t n, bool zeroed) {
  if (n > UINT32_MAX) throw std::length_error("binary too long");
  size_t bytes = sizeof(BinaryBlock) + (n ? n : 1);
  void* memory = zeroed ? std::calloc(1, bytes) : std::malloc(bytes);
  if (!memory) throw std::bad_alloc();
  BinaryBlock* block = static_cast<BinaryBlock*>(memory);
  block->length = static_cast<uint32_t>(n);
  return block;
}

BinaryBlock* copyBinary(const BinaryBlock* source) {
  BinaryBlock* block = allocateBinary(source->length, false);
  std::memcpy(block->bytes, source->bytes, source->length);
  return block;
}

// Little-endian unsigned reading of blocks of 1 to maxBytes bytes.
uint64_t binaryNumber(const BinaryBlock* block, uint32_t maxBytes) {
  if (block->length == 0 || block->length > maxBytes) return 0;
  uint64_t value = 0;
  for (uint32_t i = block->length; i-- > 0;) value = value << 8 | block->bytes[i];
  return value;
}

// A "0x"/"0X" prefix selects hexadecimal text; bad digits then give 0.
bool hexadecimalText(const String& s, int maxDigits, uint64_t* value) {
  if (s.length() < 2 || s[0] != u'0' || (s[1] != u'x' && s[1] != u'X')) return false;
  if (!parseHexDigits(s.data() + 2, s.length() - 2, maxDigits, value)) *value = 0;
  return true;
}

uint64_t bitsOf(double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

// Truncates toward zero, but a value within 10 units in the last place of the
// next integer away from zero becomes that integer: 2.9999999999999996 is 3.
// So 0.29 * 100 (28.999999999999996) gives 29, not 28.
int64_t doubleToInt64(double d) {
  if (d == 0) return 0;
  if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) return INT64_MIN;  // as the x86 conversion
  double truncated = std::trunc(d);
  if (truncated == d) return static_cast<int64_t>(d);
  // d is not an integer, so |d| < 2^52 and the neighbour is exact. Both have
  // the same sign and the neighbour the larger magnitude: its bits are larger.
  double away = truncated + (d > 0 ? 1.0 : -1.0);
  if (bitsOf(away) - bitsOf(d) <= 10) return static_cast<int64_t>(away);
  return static_cast<int64_t>(truncated);
}

void appendHex(String& out, uint64_t value, int minimumDigits) {
  static const char kDigits[] = "0123456789ABCDEF";
  char text[16];
  int n = 0;
  while (value || n < minimumDigits) {
    text[n++] = kDigits[value & 15];
    value >>= 4;
  }
  while (n > 0) out.append(static_cast<char16_t>(text[--n]));
}

}  // namespace

// --- Lifecycle --------------------------------------------------------------

void Variant::copyPayloadFrom(const Variant& other) {
  switch (type_) {
    case VType::Array:
      ++payload_.array->refs;
      break;
    case VType::Binary:
      payload_.binary = copyBinary(other.payload_.binary);
      break;
    case VType::Object:
    case VType::DllStruct:
      payload_.owned = other.payload_.owned ? other.payload_.owned->clone().release() : nullptr;
      break;
    default:
      break;
  }
}

void Variant::releasePayload() {
  switch (type_) {
    case VType::Array:
      releaseArrayStorage(payload_.array);
      break;
    case VType::Binary:
      std::free(payload_.binary);
      break;
    case VType::Object:
    case VType::DllStruct: {
      std::unique_ptr<OwnedPayload> doomed(payload_.owned);
      break;
    }
    default:
      break;
  }
  payload_.i64 = 0;
  type_ = VType::Int32;
}

Variant& Variant::assignSlow(const Variant& other) {
  Variant copy(other);  // before releasing: other may be one of our own elements
  return *this = std::move(copy);
}

void Variant::setBinary(const void* bytes, size_t n) {
  BinaryBlock* block = allocateBinary(n, false);
  if (n) std::memcpy(block->bytes, bytes, n);
  reset(VType::Binary);
  payload_.binary = block;
}

void Variant::setZeroBinary(size_t n) {
  BinaryBlock* block = allocateBinary(n, true);
  reset(VType::Binary);
  payload_.binary = block;
}

void Variant::setOwned(VType type, std::unique_ptr<OwnedPayload> payload) {
  assert(type == VType::Object || type == VType::DllStruct);
  reset(type);
  payload_.owned = payload.release();
}

BinaryBlock* Variant::mutableBinary() {
  if (!isBinary()) return nullptr;
  text_.clear();
  return payload_.binary;
}

bool Variant::isDefault() const {
  return isKeyword() && payload_.keyword->keywordIndex == kDefaultKeyword.keywordIndex;
}

// --- Conversions ------------------------------------------------------------

int32_t Variant::toInt32Slow() const {
  switch (type_) {
    case VType::Int32:
      return payload_.i32;
    case VType::Int64:
      return static_cast<int32_t>(static_cast<uint32_t>(payload_.i64));
    case VType::Ptr:
      return static_cast<int32_t>(static_cast<uint32_t>(payload_.ptr));
    case VType::Double: {
      double d = payload_.d;
      // Out of range and NaN give what the x86 conversion gives.
      return d > -2147483649.0 && d < 2147483648.0 ? static_cast<int32_t>(d) : INT32_MIN;
    }
    case VType::String: {
      uint64_t value;
      if (hexadecimalText(text_, 8, &value)) return static_cast<int32_t>(static_cast<uint32_t>(value));
      return parseInt32(text_.data(), text_.length());
    }
    case VType::Bool:
      return payload_.b ? 1 : 0;
    case VType::Keyword:
      return payload_.keyword->number;
    case VType::Binary:
      return static_cast<int32_t>(static_cast<uint32_t>(binaryNumber(payload_.binary, 4)));
    default:
      return 0;
  }
}

int64_t Variant::toInt64Slow() const {
  switch (type_) {
    case VType::Int32:
      return payload_.i32;
    case VType::Int64:
      return payload_.i64;
    case VType::Ptr: {
      // Pointers are 32-bit on the target: sign-extended. A wider pointer
      // (64-bit builds) keeps its value rather than losing its high half.
      uint64_t p = payload_.ptr;
      if ((p >> 32) == 0) return static_cast<int32_t>(static_cast<uint32_t>(p));
      return static_cast<int64_t>(p);
    }
    case VType::Double:
      return doubleToInt64(payload_.d);
    case VType::String: {
      uint64_t value;
      if (hexadecimalText(text_, 16, &value)) return static_cast<int64_t>(value);
      return parseInt64(text_.data(), text_.length());
    }
    case VType::Bool:
      return payload_.b ? 1 : 0;
    case VType::Binary:
      return static_cast<int64_t>(binaryNumber(payload_.binary, 8));
    default:
      return 0;
  }
}

double Variant::toDoubleSlow() const {
  switch (type_) {
    case VType::Int32:
      return payload_.i32;
    case VType::Int64:
      return static_cast<double>(payload_.i64);
    case VType::Double:
      return payload_.d;
    case VType::String: {
      uint64_t value;
      if (hexadecimalText(text_, 8, &value)) return static_cast<double>(value);
      return parseDouble(text_.data(), text_.length());
    }
    case VType::Bool:
      return payload_.b ? 1.0 : 0.0;
    case VType::Keyword:
      return payload_.keyword->number;
    default:
      return 0;
  }
}

bool Variant::truthSlow() const {
  switch (type_) {
    case VType::Int32:
      return payload_.i32 != 0;
    case VType::Int64:
      return payload_.i64 != 0;
    case VType::Ptr:
      return payload_.ptr != 0;
    case VType::Double:
      return payload_.d != 0;  // NaN is true
    case VType::String:
      return !text_.empty();
    case VType::Bool:
      return payload_.b;
    case VType::Binary:
      return payload_.binary->length != 0;
    default:
      return false;
  }
}

void Variant::computeStringForm() const {
  switch (type_) {
    case VType::Int32:
      text_ = formatInt64(payload_.i32);
      break;
    case VType::Int64:
      text_ = formatInt64(payload_.i64);
      break;
    case VType::Double:
      text_ = formatDouble(payload_.d);
      break;
    case VType::Ptr: {
      // "0x%p" of the 32-bit target: at least eight digits.
      String text;
      text.reserve(2 + 2 * sizeof(uintptr_t));
      text.appendAscii("0x");
      appendHex(text, payload_.ptr, 8);
      text_ = std::move(text);
      break;
    }
    case VType::Bool:
      text_ = String::fromAscii(payload_.b ? "True" : "False");
      break;
    case VType::Keyword:
      text_ = String(payload_.keyword->name);
      break;
    case VType::Binary: {
      const BinaryBlock* block = payload_.binary;
      if (block->length == 0) break;
      String text;
      text.reserve(2 + 2 * static_cast<size_t>(block->length));
      text.appendAscii("0x");
      for (uint32_t i = 0; i < block->length; ++i) appendHex(text, block->bytes[i], 2);
      text_ = std::move(text);
      break;
    }
    default:
      break;  // Array, Reference, Object, DllStruct and untouched slots: ""
  }
}

int32_t Variant::byteSize() const {
  switch (type_) {
    case VType::Int32:
      return 4;
    case VType::Ptr:
      return static_cast<int32_t>(sizeof(uintptr_t));
    case VType::Int64:
    case VType::Double:
      return 8;
    case VType::String: {
      uint64_t size = 2 * static_cast<uint64_t>(text_.length()) + 2;
      return size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
    }
    case VType::Bool:
      return 1;
    case VType::Binary:
      return payload_.binary->length > INT32_MAX ? INT32_MAX : static_cast<int32_t>(payload_.binary->length);
    case VType::DllStruct:
      return payload_.owned ? payload_.owned->byteSize() : 0;
    default:
      return 0;
  }
}

const char* Variant::typeName() const {
  static const char* const kNames[] = {"Unknown", "Int32",  "Int64", "Double", "String",  "Array",  "Reference",
                                       "Ptr",     "Object", "Bool",  "Keyword", "Binary", "DLLStruct"};
  int code = static_cast<int>(type_);
  return code > 0 && code < static_cast<int>(sizeof kNames / sizeof kNames[0]) ? kNames[code] : "Unknown";
}

}  // namespace vx

// String: the text of the script language, UTF-16 code units with an explicit
// length.
//
// Invariants:
// - block_ is nullptr for the empty string that owns nothing; data() then
//   points at a shared constant u"".
// - A block holds refs, length and capacity followed by the units; the unit
//   after the last is always 0, so data() can be handed to wide C APIs.
// - capacity counts units including that terminating 0 and is a multiple of 8.
// - Copies share the block (refs); every mutating member first takes a private
//   copy when refs > 1, so a change never shows through another copy.
// - Strings are used by the main thread only; refs is a plain counter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vx {

class String {
 public:
  String() noexcept : block_(nullptr) {}
  String(const char16_t* units, size_t length);
  explicit String(const char16_t* zeroTerminated);
  String(const String& other) noexcept : block_(other.block_) {
    if (block_) ++block_->refs;
  }
  String(String&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  String& operator=(const String& other) noexcept;
  String& operator=(String&& other) noexcept;
  ~String() {
    if (block_) release();
  }

  // Bytes below 0x80 become one unit each; anything else is the caller's bug.
  static String fromAscii(const char* text);
  static String fromAscii(const char* text, size_t n);
  // Strict UTF-8: overlong forms, surrogates, values above U+10FFFF and cut
  // sequences make the whole text invalid (ok = false, empty result).
  static String fromUtf8(const char* bytes, size_t n, bool* ok = nullptr);
  // Lone surrogates become U+FFFD.
  std::string toUtf8() const;

  size_t length() const { return block_ ? block_->length : 0; }
  bool empty() const { return length() == 0; }
  const char16_t* data() const { return block_ ? units(block_) : kEmptyUnits; }
  // Index length() reads the terminating 0.
  char16_t operator[](size_t i) const { return data()[i]; }

  // Makes the buffer private; the pointer is valid until the next mutation.
  char16_t* mutableData();

  void append(const String& other);
  void append(const char16_t* units, size_t n);
  void append(char16_t unit);
  void appendAscii(const char* text);
  void reserve(size_t units);
  void resize(size_t units);  // new units are 0
  void clear();

  String substr(size_t pos, size_t n) const;  // pos and n are clamped

  bool operator==(const String& other) const;
  bool operator!=(const String& other) const { return !(*this == other); }
  // Ordinal: code unit by code unit; a proper prefix sorts first. -1, 0 or 1.
  int compare(const String& other) const;
  bool equalsAscii(const char* ascii) const;

  // Folds a-z only: names are matched this way, independent of any locale.
  String upperAscii() const;

  bool sharesBufferWith(const String& other) const { return block_ && block_ == other.block_; }
  uint32_t refCount() const { return block_ ? block_->refs : 0; }
  size_t capacity() const { return block_ ? block_->capacity - 1 : 0; }

 private:
  struct Block {
    uint32_t refs;
    uint32_t length;
    uint32_t capacity;
  };

  static const char16_t kEmptyUnits[1];

  static char16_t* units(Block* b) { return reinterpret_cast<char16_t*>(b + 1); }
  static Block* allocate(size_t length, size_t minimumCapacity);
  void release();
  // Leaves block_ private and able to hold `length` units plus the 0.
  char16_t* prepareWrite(size_t length);

  Block* block_;
};

bool isAsciiSpace(char16_t c);

}  // namespace vx

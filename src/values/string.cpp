#include "values/string.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace vx {

namespace {

// Lengths are stored in 32 bits; keep room for the terminator and rounding.
constexpr size_t kMaxUnits = 0x7FFFFFF0u;

size_t roundCapacity(size_t units) {
  size_t rounded = (units + 7) & ~static_cast<size_t>(7);
  return rounded < 8 ? 8 : rounded;
}

}  // namespace

const char16_t String::kEmptyUnits[1] = {0};

String::Block* String::allocate(size_t length, size_t minimumCapacity) {
  if (length > kMaxUnits || minimumCapacity > kMaxUnits) throw std::length_error("string too long");
  size_t capacity = roundCapacity((minimumCapacity > length ? minimumCapacity : length) + 1);
  Block* b = static_cast<Block*>(std::malloc(sizeof(Block) + capacity * sizeof(char16_t)));
  if (!b) throw std::bad_alloc();
  b->refs = 1;
  b->length = static_cast<uint32_t>(length);
  b->capacity = static_cast<uint32_t>(capacity);
  units(b)[length] = 0;
  return b;
}

void String::release() {
  if (--block_->refs == 0) std::free(block_);
  block_ = nullptr;
}

char16_t* String::prepareWrite(size_t length) {
  if (length > kMaxUnits) throw std::length_error("string too long");
  if (block_ && block_->refs == 1) {
    if (length + 1 > block_->capacity) {
      // Geometric growth keeps repeated appends amortised constant time.
      size_t grown = static_cast<size_t>(block_->capacity) + block_->capacity / 2;
      size_t capacity = roundCapacity(length + 1 > grown ? length + 1 : grown);
      if (capacity > kMaxUnits + 8) capacity = roundCapacity(length + 1);
      Block* b = static_cast<Block*>(std::realloc(block_, sizeof(Block) + capacity * sizeof(char16_t)));
      if (!b) throw std::bad_alloc();
      b->capacity = static_cast<uint32_t>(capacity);
      block_ = b;
    }
    return units(block_);
  }
  size_t old = length < this->length() ? length : this->length();
  Block* b = allocate(old, length);
  std::memcpy(units(b), data(), old * sizeof(char16_t));
  if (block_) release();
  block_ = b;
  return units(b);
}

String::String(const char16_t* source, size_t n) : block_(nullptr) {
  if (n == 0) return;
  block_ = allocate(n, n);
  std::memcpy(units(block_), source, n * sizeof(char16_t));
}

String::String(const char16_t* zeroTerminated) : block_(nullptr) {
  size_t n = 0;
  while (zeroTerminated[n]) ++n;
  *this = String(zeroTerminated, n);
}

String& String::operator=(const String& other) noexcept {
  Block* incoming = other.block_;  // other may be *this
  if (incoming) ++incoming->refs;
  if (block_) release();
  block_ = incoming;
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this != &other) {
    if (block_) release();
    block_ = other.block_;
    other.block_ = nullptr;
  }
  return *this;
}

String String::fromAscii(const char* text) { return fromAscii(text, std::strlen(text)); }

String String::fromAscii(const char* text, size_t n) {
  String s;
  if (n == 0) return s;
  s.block_ = allocate(n, n);
  char16_t* out = units(s.block_);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(text[i]);
  return s;
}

namespace {

// Decodes strict UTF-8 into out (room for n units); returns the unit count or
// -1 for invalid input.
ptrdiff_t decodeUtf8(const unsigned char* p, size_t n, char16_t* out) {
  size_t count = 0;
  size_t i = 0;
  while (i < n) {
    uint32_t c = p[i];
    if (c < 0x80) {
      out[count++] = static_cast<char16_t>(c);
      ++i;
      continue;
    }
    size_t extra;
    uint32_t minimum;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1, minimum = 0x80, c &= 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2, minimum = 0x800, c &= 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3, minimum = 0x10000, c &= 0x07;
    } else {
      return -1;
    }
    if (n - i <= extra) return -1;
    for (size_t k = 1; k <= extra; ++k) {
      unsigned char t = p[i + k];
      if ((t & 0xC0) != 0x80) return -1;
      c = (c << 6) | (t & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
    i += extra + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      out[count++] = static_cast<char16_t>(0xD800 + (c >> 10));
      out[count++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out[count++] = static_cast<char16_t>(c);
    }
  }
  return static_cast<ptrdiff_t>(count);
}

}  // namespace

String String::fromUtf8(const char* bytes, size_t n, bool* ok) {
  if (ok) *ok = true;
  String s;
  if (n == 0) return s;
  // UTF-16 never needs more units than UTF-8 has bytes.
  char16_t* out = s.prepareWrite(n);
  ptrdiff_t count = decodeUtf8(reinterpret_cast<const unsigned char*>(bytes), n, out);
  if (count <= 0) {
    if (count < 0 && ok) *ok = false;
    return String();
  }
  out[count] = 0;
  s.block_->length = static_cast<uint32_t>(count);
  return s;
}

std::string String::toUtf8() const {
  std::string out;
  const char16_t* s = data();
  size_t n = length();
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

char16_t* String::mutableData() { return prepareWrite(length()); }

void String::append(const String& other) {
  if (other.empty()) return;
  if (!block_) {
    *this = other;  // sharing is enough until one side changes
    return;
  }
  // Hold a reference: other may be *this, whose block prepareWrite may move.
  String keep(other);
  append(keep.data(), keep.length());
}

void String::append(const char16_t* source, size_t n) {
  if (n == 0) return;
  size_t old = length();
  if (n > kMaxUnits - old) throw std::length_error("string too long");
  // source may point into our own buffer, which prepareWrite may reallocate.
  const char16_t* own = data();
  if (block_ && source >= own && source < own + old) {
    size_t offset = static_cast<size_t>(source - own);
    char16_t* out = prepareWrite(old + n);
    std::memmove(out + old, out + offset, n * sizeof(char16_t));
  } else {
    char16_t* out = prepareWrite(old + n);
    std::memcpy(out + old, source, n * sizeof(char16_t));
  }
  block_->length = static_cast<uint32_t>(old + n);
  units(block_)[old + n] = 0;
}

void String::append(char16_t unit) {
  size_t old = length();
  char16_t* out = prepareWrite(old + 1);
  out[old] = unit;
  out[old + 1] = 0;
  block_->length = static_cast<uint32_t>(old + 1);
}

void String::appendAscii(const char* text) {
  size_t n = std::strlen(text);
  if (n == 0) return;
  size_t old = length();
  char16_t* out = prepareWrite(old + n);
  for (size_t i = 0; i < n; ++i) out[old + i] = static_cast<unsigned char>(text[i]);
  out[old + n] = 0;
  block_->length = static_cast<uint32_t>(old + n);
}

void String::reserve(size_t n) {
  if (n <= capacity() && block_ && block_->refs == 1) return;
  if (n > kMaxUnits) throw std::length_error("string too long");
  size_t old = length();
  Block* b = allocate(old, n > old ? n : old);
  std::memcpy(units(b), data(), old * sizeof(char16_t));
  if (block_) release();
  block_ = b;
}

void String::resize(size_t n) {
  size_t old = length();
  if (n == old) return;
  char16_t* out = prepareWrite(n);
  if (n > old) std::memset(out + old, 0, (n - old) * sizeof(char16_t));
  out[n] = 0;
  block_->length = static_cast<uint32_t>(n);
}

void String::clear() {
  if (block_) release();
}

String String::substr(size_t pos, size_t n) const {
  size_t len = length();
  if (pos >= len) return String();
  if (n > len - pos) n = len - pos;
  if (pos == 0 && n == len) return *this;
  return String(data() + pos, n);
}

bool String::operator==(const String& other) const {
  if (block_ == other.block_) return true;
  size_t n = length();
  return n == other.length() && std::memcmp(data(), other.data(), n * sizeof(char16_t)) == 0;
}

int String::compare(const String& other) const {
  size_t n = length(), m = other.length();
  const char16_t* a = data();
  const char16_t* b = other.data();
  size_t common = n < m ? n : m;
  for (size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return n == m ? 0 : (n < m ? -1 : 1);
}

bool String::equalsAscii(const char* ascii) const {
  size_t n = length();
  const char16_t* s = data();
  for (size_t i = 0; i < n; ++i) {
    if (ascii[i] == 0 || s[i] != static_cast<unsigned char>(ascii[i])) return false;
  }
  return ascii[n] == 0;
}

String String::upperAscii() const {
  size_t n = length();
  const char16_t* s = data();
  size_t first = 0;
  while (first < n && !(s[first] >= u'a' && s[first] <= u'z')) ++first;
  if (first == n) return *this;  // already upper case: share
  String result(s, n);
  char16_t* out = units(result.block_);
  for (size_t i = first; i < n; ++i) {
    if (out[i] >= u'a' && out[i] <= u'z') out[i] = static_cast<char16_t>(out[i] - (u'a' - u'A'));
  }
  return result;
}

bool isAsciiSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace vx

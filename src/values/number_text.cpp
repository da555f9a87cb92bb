#include "values/number_text.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vx {

namespace {

// --- Exact decimal digits of a double --------------------------------------
// A finite double is exactly m × 2^e. For e >= 0 that is an integer; for e < 0
// it equals m × 5^-e × 10^e, so the integer m × 5^-e carries the digits. We
// build it in base 10^9 and read its leading digits, so the result never
// depends on the C runtime's printf. m × 5^1074 has about 767 digits.

constexpr uint32_t kLimbBase = 1000000000u;
constexpr int kMaxLimbs = 90;
constexpr int kSignificant = 15;

struct BigInteger {
  uint32_t limbs[kMaxLimbs];  // little-endian
  int count = 0;

  explicit BigInteger(uint64_t v) {
    do {
      limbs[count++] = static_cast<uint32_t>(v % kLimbBase);
      v /= kLimbBase;
    } while (v);
  }

  void multiply(uint32_t factor) {
    uint64_t carry = 0;
    for (int i = 0; i < count; ++i) {
      uint64_t x = static_cast<uint64_t>(limbs[i]) * factor + carry;
      limbs[i] = static_cast<uint32_t>(x % kLimbBase);
      carry = x / kLimbBase;
    }
    while (carry) {
      limbs[count++] = static_cast<uint32_t>(carry % kLimbBase);
      carry /= kLimbBase;
    }
  }

  // Writes the leading `wanted` digits (zero-filled past the end) and returns
  // the total number of digits.
  int leadingDigits(char* out, int wanted) const {
    char top[10];
    int topLength = 0;
    for (uint32_t v = limbs[count - 1]; v; v /= 10) top[topLength++] = static_cast<char>('0' + v % 10);
    int written = 0;
    for (int i = topLength - 1; i >= 0 && written < wanted; --i) out[written++] = top[i];
    for (int limb = count - 2; limb >= 0 && written < wanted; --limb) {
      uint32_t v = limbs[limb];
      char group[9];
      for (int i = 8; i >= 0; --i, v /= 10) group[i] = static_cast<char>('0' + v % 10);
      for (int i = 0; i < 9 && written < wanted; ++i) out[written++] = group[i];
    }
    while (written < wanted) out[written++] = '0';
    return topLength + 9 * (count - 1);
  }
};

// Rounds a finite, non-zero magnitude to 15 significant digits; returns the
// decimal exponent of the first digit.
int roundedDigits(double magnitude, char digits[kSignificant]) {
  uint64_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  int biased = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t m = bits & ((uint64_t{1} << 52) - 1);
  int e;
  if (biased == 0) {
    e = -1074;  // subnormal
  } else {
    m |= uint64_t{1} << 52;
    e = biased - 1075;
  }
  while ((m & 1) == 0) {
    m >>= 1;
    ++e;
  }
  BigInteger n(m);
  int decimalShift = 0;
  if (e >= 0) {
    for (; e >= 29; e -= 29) n.multiply(uint32_t{1} << 29);
    n.multiply(uint32_t{1} << e);
  } else {
    // m × 2^e = m × 5^-e × 10^e.
    decimalShift = e;
    int k = -e;
    for (; k >= 13; k -= 13) n.multiply(1220703125u);  // 5^13
    uint32_t rest = 1;
    while (k-- > 0) rest *= 5;
    n.multiply(rest);
  }
  char lead[kSignificant + 1];
  int total = n.leadingDigits(lead, kSignificant + 1);
  int exponent = total - 1 + decimalShift;
  std::memcpy(digits, lead, kSignificant);
  // The Windows runtime rounds a tie away from zero; so do we.
  if (lead[kSignificant] >= '5') {
    int i = kSignificant - 1;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits[0] = '1';
      ++exponent;
    }
  }
  return exponent;
}

// Digits and sign of a saturating decimal parse; limit is the largest
// magnitude allowed for the sign read.
int64_t parseSaturated(const char16_t* s, size_t n, uint64_t positiveLimit) {
  size_t i = 0;
  while (i < n && isAsciiSpace(s[i])) ++i;
  bool negative = false;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  uint64_t limit = negative ? positiveLimit + 1 : positiveLimit;
  uint64_t value = 0;
  for (; i < n && s[i] >= u'0' && s[i] <= u'9'; ++i) {
    unsigned digit = static_cast<unsigned>(s[i] - u'0');
    value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
  }
  if (!negative) return static_cast<int64_t>(value);
  return value == (uint64_t{1} << 63) ? INT64_MIN : -static_cast<int64_t>(value);
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

String formatDouble(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  if (std::isnan(v)) return String::fromAscii(bits == 0xFFF8000000000000ull ? "-1.#IND" : "1.#QNAN");
  bool negative = (bits >> 63) != 0;
  if (std::isinf(v)) return String::fromAscii(negative ? "-1.#INF" : "1.#INF");
  if (v == 0) return String::fromAscii(negative ? "-0" : "0");

  char digits[kSignificant];
  int exponent = roundedDigits(std::fabs(v), digits);
  int kept = kSignificant;
  while (kept > 1 && digits[kept - 1] == '0') --kept;

  char text[40];
  int n = 0;
  if (negative) text[n++] = '-';
  if (exponent >= -4 && exponent < kSignificant) {
    if (exponent >= 0) {
      for (int i = 0; i <= exponent; ++i) text[n++] = i < kept ? digits[i] : '0';
      if (kept > exponent + 1) {
        text[n++] = '.';
        for (int i = exponent + 1; i < kept; ++i) text[n++] = digits[i];
      }
    } else {
      text[n++] = '0';
      text[n++] = '.';
      for (int i = -1; i > exponent; --i) text[n++] = '0';
      for (int i = 0; i < kept; ++i) text[n++] = digits[i];
    }
  } else {
    text[n++] = digits[0];
    if (kept > 1) {
      text[n++] = '.';
      for (int i = 1; i < kept; ++i) text[n++] = digits[i];
    }
    text[n++] = 'e';
    text[n++] = exponent < 0 ? '-' : '+';
    int magnitude = exponent < 0 ? -exponent : exponent;
    text[n++] = static_cast<char>('0' + magnitude / 100);
    text[n++] = static_cast<char>('0' + magnitude / 10 % 10);
    text[n++] = static_cast<char>('0' + magnitude % 10);
  }
  return String::fromAscii(text, static_cast<size_t>(n));
}

namespace {

// The decimal digits of v, right-aligned in `text`; returns where they start.
size_t int64Digits(int64_t v, char16_t (&text)[24]) {
  size_t n = sizeof text / sizeof text[0];
  uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  do {
    text[--n] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  if (v < 0) text[--n] = u'-';
  return n;
}

}  // namespace

String formatInt64(int64_t v) {
  char16_t text[24];
  const size_t start = int64Digits(v, text);
  return String(text + start, 24 - start);
}

void appendInt64(String& out, int64_t v) {
  char16_t text[24];
  const size_t start = int64Digits(v, text);
  out.append(text + start, 24 - start);
}

int32_t parseInt32(const char16_t* s, size_t n) { return static_cast<int32_t>(parseSaturated(s, n, INT32_MAX)); }

int64_t parseInt64(const char16_t* s, size_t n) { return parseSaturated(s, n, INT64_MAX); }

double parseDouble(const char16_t* s, size_t n, size_t* consumed) {
  if (consumed) *consumed = 0;
  size_t i = 0;
  while (i < n && isAsciiSpace(s[i])) ++i;
  size_t start = i;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) ++i;
  size_t digits = 0;
  for (; i < n && isDigit(s[i]); ++i) ++digits;
  if (i < n && s[i] == u'.') {
    for (++i; i < n && isDigit(s[i]); ++i) ++digits;
  }
  if (digits == 0) return 0;
  size_t end = i;
  if (i < n && (s[i] == u'e' || s[i] == u'E')) {
    size_t j = i + 1;
    if (j < n && (s[j] == u'+' || s[j] == u'-')) ++j;
    if (j < n && isDigit(s[j])) {
      while (j < n && isDigit(s[j])) ++j;
      end = j;
    }
  }
  if (consumed) *consumed = end;

  // The run is plain ASCII in the shape strtod expects, so its correct
  // rounding is all we borrow. The program never leaves the "C" numeric locale.
  size_t length = end - start;
  char small[64];
  std::string large;
  char* text = small;
  if (length >= sizeof small) {
    large.resize(length);
    text = &large[0];
  }
  for (size_t k = 0; k < length; ++k) text[k] = static_cast<char>(s[start + k]);
  text[length] = 0;
  return std::strtod(text, nullptr);
}

bool parseHexDigits(const char16_t* s, size_t n, int maxDigits, uint64_t* out) {
  if (n > static_cast<size_t>(maxDigits < 0 ? 0 : maxDigits)) return false;
  uint64_t value = 0;
  for (size_t i = 0; i < n; ++i) {
    char16_t c = s[i];
    unsigned digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else return false;
    value = value << 4 | digit;
  }
  *out = value;
  return true;
}

}  // namespace vx

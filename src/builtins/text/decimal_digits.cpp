// Big-number arithmetic small enough for one purpose: a double is m * 2^e
// with m below 2^53 and e in [-1074, 971], so m * 2^e (e >= 0) or m * 5^-e
// (e < 0, the point then moving -e places) fits in about 90 limbs.
#include "builtins/text/decimal_digits.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace vx {

namespace {

constexpr uint32_t kLimbBase = 1000000000;  // 10^9 per limb, least significant first

void multiplyBy(std::vector<uint32_t>& limbs, uint32_t factor) {
  uint64_t carry = 0;
  for (uint32_t& limb : limbs) {
    const uint64_t product = static_cast<uint64_t>(limb) * factor + carry;
    limb = static_cast<uint32_t>(product % kLimbBase);
    carry = product / kLimbBase;
  }
  while (carry) {
    limbs.push_back(static_cast<uint32_t>(carry % kLimbBase));
    carry /= kLimbBase;
  }
}

std::string limbsToText(const std::vector<uint32_t>& limbs) {
  std::string text = std::to_string(limbs.back());
  char chunk[16];
  for (size_t i = limbs.size() - 1; i-- > 0;) {
    std::snprintf(chunk, sizeof chunk, "%09u", static_cast<unsigned>(limbs[i]));
    text += chunk;
  }
  return text;
}

}  // namespace

DecimalDigits exactDecimalDigits(double v) {
  DecimalDigits result;
  v = std::fabs(v);
  if (v == 0) return result;
  int exponent = 0;
  const double fraction = std::frexp(v, &exponent);  // v = fraction * 2^exponent, fraction in [0.5, 1)
  uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  exponent -= 53;
  while ((mantissa & 1) == 0) {  // fewer digits to carry around
    mantissa >>= 1;
    ++exponent;
  }
  std::vector<uint32_t> limbs;
  for (uint64_t m = mantissa; m; m /= kLimbBase) limbs.push_back(static_cast<uint32_t>(m % kLimbBase));

  int shift = 0;  // decimal places the point moves left
  if (exponent >= 0) {
    for (int left = exponent; left > 0; left -= 16) multiplyBy(limbs, 1u << (left < 16 ? left : 16));
  } else {
    shift = -exponent;
    for (int left = shift; left > 0; left -= 13) {
      uint32_t power = 1;
      for (int i = 0; i < (left < 13 ? left : 13); ++i) power *= 5;
      multiplyBy(limbs, power);
    }
  }
  result.digits = limbsToText(limbs);
  result.pointPosition = static_cast<int>(result.digits.size()) - shift;
  while (!result.digits.empty() && result.digits.back() == '0') result.digits.pop_back();
  return result;
}

void roundDecimalDigits(DecimalDigits& d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return;
  const bool up = keep >= 0 && d.digits[static_cast<size_t>(keep)] >= '5';
  if (keep <= 0) {
    d.digits.clear();
    if (up) {
      d.digits = "1";
      d.pointPosition += 1;
    }
    return;
  }
  d.digits.resize(static_cast<size_t>(keep));
  if (up) {
    size_t i = d.digits.size();
    while (i > 0 && d.digits[i - 1] == '9') d.digits[--i] = '0';
    if (i == 0) {
      d.digits.insert(d.digits.begin(), '1');
      d.pointPosition += 1;
    } else {
      ++d.digits[i - 1];
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

}  // namespace vx

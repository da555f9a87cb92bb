// Exact decimal digits of a double, for the fixed and exponent conversions.
// Every finite double is a finite decimal fraction, so no digit is guessed:
// "%.30f" of 0.1 shows the binary value's real digits.
#pragma once

#include <string>

namespace vx {

// The magnitude is 0.d1d2d3... * 10^pointPosition; digits has no leading
// zero, and is empty for zero (pointPosition is then meaningless).
struct DecimalDigits {
  std::string digits;
  int pointPosition = 0;
};

// v must be finite; its sign is ignored.
DecimalDigits exactDecimalDigits(double v);

// Keeps the first `keep` digits (keep may be <= 0 or past the end) and rounds
// on the first dropped one: a half goes away from zero, as on Windows.
void roundDecimalDigits(DecimalDigits& d, int keep);

}  // namespace vx

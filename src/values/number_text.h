// Numbers to text and back. Our own code rather than the C runtime's, because
// the runtimes disagree (exponent digits, NaN spellings, "inf"/hex parsing) and
// scripts must see one behaviour everywhere.
#pragma once

#include <cstddef>
#include <cstdint>

#include "values/string.h"

namespace vx {

// "%.15g" with at least three exponent digits (1e+020, 1e-005); 1.#INF,
// -1.#INF; -1.#IND for the indefinite NaN of invalid operations and 1.#QNAN
// for any other NaN; -0.0 gives "-0". A value exactly halfway between two
// 15-digit results rounds away from zero, as the Windows runtime does.
String formatDouble(double v);
String formatInt64(int64_t v);
// Appends formatInt64(v) without making a String of it first.
void appendInt64(String& out, int64_t v);

// Leading ASCII white space, optional sign, decimal digits up to the first
// other unit; saturates at the type's bounds; no digits gives 0.
int32_t parseInt32(const char16_t* s, size_t n);
int64_t parseInt64(const char16_t* s, size_t n);

// Leading ASCII white space, sign, digits, optional '.', digits, optional
// exponent (taken only when a digit follows e/E and its sign). No "inf", "nan"
// or hexadecimal floats. Correctly rounded. No number gives 0 and consumed 0.
double parseDouble(const char16_t* s, size_t n, size_t* consumed = nullptr);

// All n units must be hexadecimal digits, at most maxDigits of them; no digits
// gives 0. Returns false for a bad unit or too many digits.
bool parseHexDigits(const char16_t* s, size_t n, int maxDigits, uint64_t* out);

}  // namespace vx

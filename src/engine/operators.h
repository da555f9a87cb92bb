// Operators: what every operator of the expression language does to a pair
// of values, as pure functions on Variants.
//
// Invariants:
// - Each two-operand function computes `left OP right` and leaves the result
//   in `left`: the evaluator's value stack works in place, the deeper value
//   becoming the result. `left` and `right` are never the same object.
// - Arithmetic on a left Array, Object, Reference or DLLStruct (and, where the
//   operator says so, Ptr or Keyword) leaves it unchanged; nothing here fails.
// - Int32 sums, differences and products that overflow become the exact
//   Int64; Int64 arithmetic wraps. Division and power always give a Double.
// - Comparisons return the truth of the comparison; the caller stores a Bool.
//   The pair of types picks how the two values are compared; a pair that is
//   not comparable is unequal and never less.
#pragma once

#include "values/variant.h"

namespace vx {

void addInPlace(Variant& left, const Variant& right);
void subtractInPlace(Variant& left, const Variant& right);
void multiplyInPlace(Variant& left, const Variant& right);
void divideInPlace(Variant& left, const Variant& right);
void powerInPlace(Variant& left, const Variant& right);
// Appends in place to a String left operand: amortised constant time when the
// string has one owner.
void concatenateInPlace(Variant& left, const Variant& right);

// Multiplication by Int32 -1: a Keyword, Ptr, Array or Object stays as it is.
void negateInPlace(Variant& value);
// Bool of the negated truth value.
void notInPlace(Variant& value);

// "=": false when the two types are not comparable.
bool compareEqual(const Variant& left, const Variant& right);
// "<": only integers, doubles, strings and pointers are ordered; every other
// pair is never less.
bool compareLess(const Variant& left, const Variant& right);
// "==": false if either is an Object; otherwise the string forms compared
// code unit by code unit.
bool compareEqualCaseSensitive(const Variant& left, const Variant& right);

enum class CompareOp { Less, Greater, LessEqual, GreaterEqual, NotEqual, Equal, EqualCaseSensitive };

// The derived operators swap or negate the two above: ">" is right < left (so
// the pair is read with the right operand first), ">=" is not left < right,
// "<=" is not right < left, "<>" is not "=".
bool compare(CompareOp op, const Variant& left, const Variant& right);

}  // namespace vx

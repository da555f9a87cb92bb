// Operators: arithmetic, power, concatenation and comparison of Variants.
//
// Each operator switches on the pair of types first, so the common numeric
// pairs (Int32, Int64, Double) are handled without calling out; every other
// pair goes to an out-of-line function that follows the full table of types.
#include "engine/operators.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "platform/platform.h"
#include "values/binary_text.h"
#include "values/number_text.h"

namespace vx {

namespace {

constexpr int typePair(VType left, VType right) { return static_cast<int>(left) << 4 | static_cast<int>(right); }

constexpr int kInt32Int32 = typePair(VType::Int32, VType::Int32);
constexpr int kInt32Int64 = typePair(VType::Int32, VType::Int64);
constexpr int kInt64Int32 = typePair(VType::Int64, VType::Int32);
constexpr int kInt64Int64 = typePair(VType::Int64, VType::Int64);
constexpr int kInt32Double = typePair(VType::Int32, VType::Double);
constexpr int kDoubleInt32 = typePair(VType::Double, VType::Int32);
constexpr int kDoubleDouble = typePair(VType::Double, VType::Double);
constexpr int kStringString = typePair(VType::String, VType::String);

// Int64 arithmetic wraps; done unsigned, where wrapping is defined.
int64_t wrappingAdd(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)); }
int64_t wrappingSubtract(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}
int64_t wrappingMultiply(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
}

// A pointer moves by the low 32 bits of the integer conversion. Sign-extending
// them keeps the full pointer width on 64-bit builds, and on 32-bit ones it is
// the same as adding the 32 bits.
uintptr_t pointerOffset(const Variant& v) {
  int32_t low = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v.toInt64())));
  return static_cast<uintptr_t>(static_cast<intptr_t>(low));
}

void joinBinary(Variant& left, const Variant& right) {
  const BinaryBlock* a = left.binary();
  const BinaryBlock* b = right.binary();
  // Summed in 64 bits: on 32-bit builds two lengths could wrap size_t.
  uint64_t total = static_cast<uint64_t>(a->length) + b->length;
  if (total > UINT32_MAX) throw std::length_error("binary too long");
  Variant joined = Variant::zeroBinary(static_cast<size_t>(total));
  BinaryBlock* out = joined.mutableBinary();
  if (a->length) std::memcpy(out->bytes, a->bytes, a->length);
  if (b->length) std::memcpy(out->bytes + a->length, b->bytes, b->length);
  left = std::move(joined);
}

// The NaN that x86 produces for invalid operations; it prints as -1.#IND.
double indefiniteNaN() {
  const uint64_t bits = 0xFFF8000000000000ull;
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

// --- Arithmetic: the pairs outside the fast paths ---------------------------

void addOther(Variant& left, const Variant& right) {
  switch (left.type()) {
    case VType::Int32:
    case VType::Int64:
    case VType::Double:
    case VType::String:
    case VType::Bool:
    case VType::Keyword:
      left.setDouble(left.toDouble() + right.toDouble());
      return;
    case VType::Ptr:
      left.setPtr(left.ptrValue() + pointerOffset(right));
      return;
    case VType::Binary:
      if (right.isBinary()) joinBinary(left, right);
      else left.setDouble(left.toDouble() + right.toDouble());
      return;
    default:
      return;  // Array, Object, Reference, DLLStruct
  }
}

void subtractOther(Variant& left, const Variant& right) {
  switch (left.type()) {
    case VType::Int32:
    case VType::Int64:
    case VType::Double:
    case VType::String:
    case VType::Bool:
    case VType::Keyword:
    case VType::Binary:
      left.setDouble(left.toDouble() - right.toDouble());
      return;
    case VType::Ptr:
      left.setPtr(left.ptrValue() - pointerOffset(right));
      return;
    default:
      return;
  }
}

void multiplyOther(Variant& left, const Variant& right) {
  switch (left.type()) {
    case VType::Int32:
    case VType::Int64:
    case VType::Double:
    case VType::String:
    case VType::Bool:
    case VType::Binary:
      left.setDouble(left.toDouble() * right.toDouble());
      return;
    default:
      return;  // Ptr and Keyword as well: a product of them means nothing
  }
}

// --- Power ------------------------------------------------------------------

// How an operand of "^" is classed. Only numbers get a class; every other
// type is None and takes the plain pow of its number conversion.
struct PowerOperand {
  enum Kind { None, Integral, Finite, PlusInfinity, MinusInfinity, NotANumber };
  Kind kind = None;
  double value = 0;        // the number conversion
  bool zero = false;       // integral 0, +0 or -0
  bool minusZero = false;  // the Double -0
  bool negative = false;   // below zero (so -0 is not negative)
  bool odd = false;        // an odd integral value

  bool finiteOrIntegral() const { return kind == Integral || kind == Finite; }
};

PowerOperand classify(const Variant& v) {
  PowerOperand p;
  p.value = v.toDouble();
  switch (v.type()) {
    case VType::Int32:
    case VType::Int64: {
      int64_t i = v.toInt64();
      p.kind = PowerOperand::Integral;
      p.zero = i == 0;
      p.negative = i < 0;
      p.odd = (static_cast<uint64_t>(i) & 1) != 0;
      return p;
    }
    case VType::Double: {
      double d = p.value;
      if (std::isnan(d)) {
        p.kind = PowerOperand::NotANumber;
      } else if (std::isinf(d)) {
        p.kind = d > 0 ? PowerOperand::PlusInfinity : PowerOperand::MinusInfinity;
      } else {
        p.kind = std::trunc(d) == d ? PowerOperand::Integral : PowerOperand::Finite;
        p.zero = d == 0;
        p.minusZero = p.zero && std::signbit(d);
        p.negative = d < 0;
        // Doubles beyond 2^53 are all even, and fmod says so.
        p.odd = p.kind == PowerOperand::Integral && std::fmod(d, 2.0) != 0;
      }
      return p;
    }
    default:
      return p;
  }
}

double power(const PowerOperand& x, const PowerOperand& y) {
  const double infinity = std::numeric_limits<double>::infinity();
  if (y.kind == PowerOperand::Integral && y.zero) return 1;

  if (x.kind == PowerOperand::Integral && x.zero && y.finiteOrIntegral()) {
    if (y.kind == PowerOperand::Integral && y.odd) {
      if (y.negative) return x.minusZero ? -infinity : infinity;
      return x.minusZero ? -0.0 : 0.0;
    }
    return y.negative ? infinity : 0.0;
  }

  bool yInfinite = y.kind == PowerOperand::PlusInfinity || y.kind == PowerOperand::MinusInfinity;
  if (yInfinite && x.finiteOrIntegral()) {
    double a = std::fabs(x.value);
    bool plus = y.kind == PowerOperand::PlusInfinity;
    if (a < 1) return plus ? 0.0 : infinity;
    if (a > 1) return plus ? infinity : 0.0;
    return indefiniteNaN();  // 1 to an infinite power has no value
  }

  bool xInfinite = x.kind == PowerOperand::PlusInfinity || x.kind == PowerOperand::MinusInfinity;
  if (xInfinite && y.finiteOrIntegral()) {
    if (x.kind == PowerOperand::MinusInfinity && y.kind == PowerOperand::Integral && y.odd)
      return y.negative ? -0.0 : -infinity;
    return y.negative ? 0.0 : infinity;
  }

  if (x.finiteOrIntegral() && x.negative && y.kind == PowerOperand::Integral) {
    double r = std::pow(-x.value, y.value);
    return y.odd ? -r : r;
  }

  double r = std::pow(x.value, y.value);
  // C libraries differ in which NaN an invalid pow returns; give the one the
  // hardware gives for every other invalid operation.
  if (std::isnan(r) && !std::isnan(x.value) && !std::isnan(y.value)) return indefiniteNaN();
  return r;
}

// --- Comparison classes -----------------------------------------------------

enum class CompareClass : uint8_t {
  None,      // not comparable
  Int32,     // both as 32-bit integers
  Int64,     // both as 64-bit integers
  Double,    // both as doubles
  Text,      // the user's locale order, ignoring case
  Pointer,   // both as pointer-sized unsigned integers
  Object,    // the same object
  Truth,     // both as truth values
  Keyword,   // the same keyword
  Bytes,     // both as byte blocks
};

constexpr int kTypeCount = 13;

// Row = left type, column = right type, both in type-code order: (none),
// Int32, Int64, Double, String, Array, Reference, Ptr, Object, Bool, Keyword,
// Binary, DLLStruct. A Bool compares with anything but a Keyword by truth.
constexpr const char* kClassRows[kTypeCount] = {
    "-------------",  // (none)
    "-ILDD--P-B-I-",  // Int32
    "-LLDD--P-B-L-",  // Int64
    "-DDDD----B-D-",  // Double
    "-DDDS--P-B-Y-",  // String
    "-------------",  // Array
    "-------------",  // Reference
    "-PP-P--P-B-P-",  // Ptr
    "--------O----",  // Object
    "-BBBBBBBBB-BB",  // Bool
    "----------K--",  // Keyword
    "-ILDY--P-B-Y-",  // Binary
    "-------------",  // DLLStruct
};

constexpr CompareClass classFromLetter(char c) {
  switch (c) {
    case 'I': return CompareClass::Int32;
    case 'L': return CompareClass::Int64;
    case 'D': return CompareClass::Double;
    case 'S': return CompareClass::Text;
    case 'P': return CompareClass::Pointer;
    case 'O': return CompareClass::Object;
    case 'B': return CompareClass::Truth;
    case 'K': return CompareClass::Keyword;
    case 'Y': return CompareClass::Bytes;
    default: return CompareClass::None;
  }
}

using ClassTable = std::array<std::array<CompareClass, kTypeCount>, kTypeCount>;

constexpr ClassTable buildClassTable() {
  ClassTable table{};
  for (int row = 0; row < kTypeCount; ++row)
    for (int column = 0; column < kTypeCount; ++column) table[row][column] = classFromLetter(kClassRows[row][column]);
  return table;
}

constexpr ClassTable kClassTable = buildClassTable();

CompareClass compareClass(const Variant& left, const Variant& right) {
  unsigned row = static_cast<unsigned>(left.type());
  unsigned column = static_cast<unsigned>(right.type());
  if (row >= kTypeCount || column >= kTypeCount) return CompareClass::None;
  return kClassTable[row][column];
}

// A Ptr gives its address; anything else its 64-bit integer conversion, cut
// to the pointer width (so -1 is the largest pointer).
uintptr_t pointerValue(const Variant& v) {
  if (v.isPtr()) return v.ptrValue();
  return static_cast<uintptr_t>(static_cast<uint64_t>(v.toInt64()));
}

bool bytesEqual(const Variant& left, const Variant& right) {
  std::string leftText, rightText;
  const void* a;
  const void* b;
  size_t lengthA, lengthB;
  if (const BinaryBlock* block = left.binary()) {
    a = block->bytes, lengthA = block->length;
  } else {
    leftText = bytesOfString(left.stringForm());
    a = leftText.data(), lengthA = leftText.size();
  }
  if (const BinaryBlock* block = right.binary()) {
    b = block->bytes, lengthB = block->length;
  } else {
    rightText = bytesOfString(right.stringForm());
    b = rightText.data(), lengthB = rightText.size();
  }
  return lengthA == lengthB && (lengthA == 0 || std::memcmp(a, b, lengthA) == 0);
}

bool equalOther(const Variant& left, const Variant& right) {
  switch (compareClass(left, right)) {
    case CompareClass::Int32:
      return left.toInt32() == right.toInt32();
    case CompareClass::Int64:
      return left.toInt64() == right.toInt64();
    case CompareClass::Double:
      return left.toDouble() == right.toDouble();
    case CompareClass::Text:
      return platform::compareTextIgnoringCase(left.asString(), right.asString()) == 0;
    case CompareClass::Pointer:
      return pointerValue(left) == pointerValue(right);
    case CompareClass::Object:
      // Until objects exist the payload's identity stands for the object: two
      // values that hold nothing are the same. The object layer will compare
      // what the payloads refer to.
      return left.owned() == right.owned();
    case CompareClass::Truth:
      return left.truth() == right.truth();
    case CompareClass::Keyword:
      return left.keyword()->keywordIndex == right.keyword()->keywordIndex;
    case CompareClass::Bytes:
      return bytesEqual(left, right);
    case CompareClass::None:
      break;
  }
  return false;
}

bool lessOther(const Variant& left, const Variant& right) {
  switch (compareClass(left, right)) {
    case CompareClass::Int32:
      return left.toInt32() < right.toInt32();
    case CompareClass::Int64:
      return left.toInt64() < right.toInt64();
    case CompareClass::Double:
      return left.toDouble() < right.toDouble();
    case CompareClass::Text:
      return platform::compareTextIgnoringCase(left.asString(), right.asString()) < 0;
    case CompareClass::Pointer:
      return pointerValue(left) < pointerValue(right);
    default:
      return false;  // truth values, objects, keywords and bytes have no order
  }
}

}  // namespace

// --- Arithmetic -------------------------------------------------------------

void addInPlace(Variant& left, const Variant& right) {
  switch (typePair(left.type(), right.type())) {
    case kInt32Int32: {
      int32_t sum;
      if (__builtin_add_overflow(left.int32Value(), right.int32Value(), &sum))
        left.setInt64(static_cast<int64_t>(left.int32Value()) + right.int32Value());
      else
        left.setInt32(sum);
      return;
    }
    case kInt32Int64:
    case kInt64Int32:
    case kInt64Int64:
      left.setInt64(wrappingAdd(left.toInt64(), right.toInt64()));
      return;
    case kInt32Double:
    case kDoubleInt32:
    case kDoubleDouble:
      left.setDouble(left.toDouble() + right.toDouble());
      return;
    default:
      addOther(left, right);
  }
}

void subtractInPlace(Variant& left, const Variant& right) {
  switch (typePair(left.type(), right.type())) {
    case kInt32Int32: {
      int32_t difference;
      if (__builtin_sub_overflow(left.int32Value(), right.int32Value(), &difference))
        left.setInt64(static_cast<int64_t>(left.int32Value()) - right.int32Value());
      else
        left.setInt32(difference);
      return;
    }
    case kInt32Int64:
    case kInt64Int32:
    case kInt64Int64:
      left.setInt64(wrappingSubtract(left.toInt64(), right.toInt64()));
      return;
    case kInt32Double:
    case kDoubleInt32:
    case kDoubleDouble:
      left.setDouble(left.toDouble() - right.toDouble());
      return;
    default:
      subtractOther(left, right);
  }
}

void multiplyInPlace(Variant& left, const Variant& right) {
  switch (typePair(left.type(), right.type())) {
    case kInt32Int32: {
      int32_t product;
      if (__builtin_mul_overflow(left.int32Value(), right.int32Value(), &product))
        left.setInt64(static_cast<int64_t>(left.int32Value()) * right.int32Value());
      else
        left.setInt32(product);
      return;
    }
    case kInt32Int64:
    case kInt64Int32:
    case kInt64Int64:
      left.setInt64(wrappingMultiply(left.toInt64(), right.toInt64()));
      return;
    case kInt32Double:
    case kDoubleInt32:
    case kDoubleDouble:
      left.setDouble(left.toDouble() * right.toDouble());
      return;
    default:
      multiplyOther(left, right);
  }
}

void divideInPlace(Variant& left, const Variant& right) {
  switch (left.type()) {
    case VType::Int32:
    case VType::Int64:
    case VType::Double:
    case VType::String:
    case VType::Bool:
    case VType::Binary:
      // A zero divisor gives an infinity or NaN, which the language accepts.
      left.setDouble(left.toDouble() / right.toDouble());
      return;
    default:
      return;
  }
}

void powerInPlace(Variant& left, const Variant& right) {
  left.setDouble(power(classify(left), classify(right)));
}

void concatenateInPlace(Variant& left, const Variant& right) {
  switch (left.type()) {
    case VType::String:
      // A counter in a text ("line " & $i) is the common case: its digits
      // go straight in, with no text of the number made and kept.
      if (right.isInt32() || right.isInt64()) appendInt64(left.mutableString(), right.toInt64());
      else left.mutableString().append(right.stringForm());
      return;
    case VType::Binary:
      if (right.isBinary()) {
        joinBinary(left, right);
        return;
      }
      [[fallthrough]];
    case VType::Int32:
    case VType::Int64:
    case VType::Double:
    case VType::Ptr:
    case VType::Bool:
    case VType::Keyword: {
      // Shares the cached form, so the append below makes the one copy.
      String text = left.stringForm();
      text.append(right.stringForm());
      left.setString(std::move(text));
      return;
    }
    default:
      return;
  }
}

void negateInPlace(Variant& value) {
  if (value.isInt32() && value.int32Value() != INT32_MIN) {
    value.setInt32(-value.int32Value());
    return;
  }
  multiplyInPlace(value, Variant::fromInt32(-1));
}

void notInPlace(Variant& value) { value.setBool(!value.truth()); }

// --- Comparison -------------------------------------------------------------

bool compareEqual(const Variant& left, const Variant& right) {
  switch (typePair(left.type(), right.type())) {
    case kInt32Int32:
      return left.int32Value() == right.int32Value();
    case kInt32Int64:
    case kInt64Int32:
    case kInt64Int64:
      return left.toInt64() == right.toInt64();
    case kInt32Double:
    case kDoubleInt32:
    case kDoubleDouble:
      return left.toDouble() == right.toDouble();
    default:
      return equalOther(left, right);
  }
}

bool compareLess(const Variant& left, const Variant& right) {
  switch (typePair(left.type(), right.type())) {
    case kInt32Int32:
      return left.int32Value() < right.int32Value();
    case kInt32Int64:
    case kInt64Int32:
    case kInt64Int64:
      return left.toInt64() < right.toInt64();
    case kInt32Double:
    case kDoubleInt32:
    case kDoubleDouble:
      return left.toDouble() < right.toDouble();
    default:
      return lessOther(left, right);
  }
}

bool compareEqualCaseSensitive(const Variant& left, const Variant& right) {
  switch (typePair(left.type(), right.type())) {
    // Decimal forms of integers are equal exactly when the values are.
    case kInt32Int32:
      return left.int32Value() == right.int32Value();
    case kInt32Int64:
    case kInt64Int32:
    case kInt64Int64:
      return left.toInt64() == right.toInt64();
    case kStringString:
      return left.asString() == right.asString();
    default:
      if (left.isObject() || right.isObject()) return false;
      return left.stringForm() == right.stringForm();
  }
}

bool compare(CompareOp op, const Variant& left, const Variant& right) {
  switch (op) {
    case CompareOp::Less:
      return compareLess(left, right);
    case CompareOp::Greater:
      return compareLess(right, left);
    case CompareOp::LessEqual:
      return !compareLess(right, left);
    case CompareOp::GreaterEqual:
      return !compareLess(left, right);
    case CompareOp::NotEqual:
      return !compareEqual(left, right);
    case CompareOp::Equal:
      return compareEqual(left, right);
    case CompareOp::EqualCaseSensitive:
      return compareEqualCaseSensitive(left, right);
  }
  return false;
}

}  // namespace vx

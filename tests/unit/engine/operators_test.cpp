#include "engine/operators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using vx::CompareOp;
using vx::OwnedPayload;
using vx::String;
using vx::Variant;
using vx::VType;

namespace {

class TestPayload : public OwnedPayload {
 public:
  std::unique_ptr<OwnedPayload> clone() const override { return std::make_unique<TestPayload>(); }
};

Variant i32(int32_t v) { return Variant::fromInt32(v); }
Variant i64(int64_t v) { return Variant::fromInt64(v); }
Variant dbl(double v) { return Variant::fromDouble(v); }
Variant boolean(bool v) { return Variant::fromBool(v); }
Variant ptr(uintptr_t v) { return Variant::fromPtr(v); }
Variant str(const char* ascii) { return Variant::fromString(String::fromAscii(ascii)); }
Variant keyword() { return Variant::makeDefault(); }
Variant bin(std::initializer_list<unsigned char> bytes) {
  std::vector<unsigned char> b(bytes);
  return Variant::fromBinary(b.data(), b.size());
}
Variant array() {
  Variant a;
  uint32_t size = 2;
  a.dimension(&size, 1);
  return a;
}
Variant owned(VType type, bool holdsSomething = true) {
  Variant v;
  v.setOwned(type, holdsSomething ? std::make_unique<TestPayload>() : nullptr);
  return v;
}

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// "Type form", or just the type when the string form is empty.
std::string describe(const Variant& v) {
  std::string form = v.stringForm().toUtf8();
  return form.empty() ? v.typeName() : std::string(v.typeName()) + " " + form;
}

enum class Op { Add, Subtract, Multiply, Divide, Power, Concatenate };

const char* opText(Op op) {
  static const char* const kText[] = {"+", "-", "*", "/", "^", "&"};
  return kText[static_cast<int>(op)];
}

void apply(Op op, Variant& left, const Variant& right) {
  switch (op) {
    case Op::Add: vx::addInPlace(left, right); break;
    case Op::Subtract: vx::subtractInPlace(left, right); break;
    case Op::Multiply: vx::multiplyInPlace(left, right); break;
    case Op::Divide: vx::divideInPlace(left, right); break;
    case Op::Power: vx::powerInPlace(left, right); break;
    case Op::Concatenate: vx::concatenateInPlace(left, right); break;
  }
}

struct BinaryCase {
  Variant left;
  Op op;
  Variant right;
  const char* expected;  // as describe() gives it
};

void checkAll(const std::vector<BinaryCase>& cases) {
  for (const BinaryCase& c : cases) {
    std::string text = describe(c.left) + " " + opText(c.op) + " " + describe(c.right);
    Variant left = c.left;
    apply(c.op, left, c.right);
    EXPECT_EQ(describe(left), c.expected) << text;
  }
}

}  // namespace

TEST(Operators, AdditionByTypePair) {
  checkAll({
      {i32(1), Op::Add, i32(2), "Int32 3"},
      {i32(INT32_MAX), Op::Add, i32(1), "Int64 2147483648"},
      {i32(INT32_MIN), Op::Add, i32(-1), "Int64 -2147483649"},
      {i32(1), Op::Add, i64(2), "Int64 3"},
      {i32(1), Op::Add, dbl(0.5), "Double 1.5"},
      {i32(1), Op::Add, str("2"), "Double 3"},
      {i64(INT64_MAX), Op::Add, i32(1), "Int64 -9223372036854775808"},
      {i64(INT64_MAX), Op::Add, i64(INT64_MAX), "Int64 -2"},
      {i64(1), Op::Add, boolean(true), "Double 2"},
      {dbl(0.5), Op::Add, i32(1), "Double 1.5"},
      {dbl(0.5), Op::Add, i64(1), "Double 1.5"},
      {str("5"), Op::Add, i32(1), "Double 6"},
      {str("1"), Op::Add, str("1"), "Double 2"},
      {boolean(true), Op::Add, boolean(true), "Double 2"},
      {keyword(), Op::Add, i32(1), "Double 0"},
      {ptr(0x1000), Op::Add, i32(16), "Ptr 0x00001010"},
      {ptr(0x1000), Op::Add, i32(-16), "Ptr 0x00000FF0"},
      {ptr(0x1000), Op::Add, i64(0x100000010), "Ptr 0x00001010"},
      {ptr(0x1000), Op::Add, str("0x10"), "Ptr 0x00001010"},
      {bin({1}), Op::Add, bin({2, 3}), "Binary 0x010203"},
      {bin({}), Op::Add, bin({}), "Binary"},
      {bin({1}), Op::Add, i32(1), "Double 1"},  // a block has no number value
  });
}

TEST(Operators, SubtractionByTypePair) {
  checkAll({
      {i32(5), Op::Subtract, i32(3), "Int32 2"},
      {i32(INT32_MIN), Op::Subtract, i32(1), "Int64 -2147483649"},
      {i32(INT32_MAX), Op::Subtract, i32(-1), "Int64 2147483648"},
      {i32(5), Op::Subtract, i64(3), "Int64 2"},
      {i64(INT64_MIN), Op::Subtract, i32(1), "Int64 9223372036854775807"},
      {i32(5), Op::Subtract, dbl(0.5), "Double 4.5"},
      {str("5"), Op::Subtract, i32(1), "Double 4"},
      {keyword(), Op::Subtract, i32(1), "Double -2"},
      {boolean(false), Op::Subtract, dbl(1.5), "Double -1.5"},
      {bin({1, 2}), Op::Subtract, bin({1}), "Double 0"},
      {ptr(0x1010), Op::Subtract, i32(16), "Ptr 0x00001000"},
      {ptr(0x1000), Op::Subtract, dbl(16.9), "Ptr 0x00000FF0"},
  });
}

TEST(Operators, MultiplicationByTypePair) {
  checkAll({
      {i32(6), Op::Multiply, i32(7), "Int32 42"},
      {i32(65536), Op::Multiply, i32(65536), "Int64 4294967296"},
      {i32(-65536), Op::Multiply, i32(65536), "Int64 -4294967296"},
      {i32(INT32_MIN), Op::Multiply, i32(-1), "Int64 2147483648"},
      {i32(3), Op::Multiply, i64(3), "Int64 9"},
      {i64(INT64_C(1) << 62), Op::Multiply, i32(4), "Int64 0"},
      {i64(INT64_MIN), Op::Multiply, i64(-1), "Int64 -9223372036854775808"},
      {i32(2), Op::Multiply, str("1.5"), "Double 3"},
      {str("2"), Op::Multiply, str("3"), "Double 6"},
      {boolean(true), Op::Multiply, i32(5), "Double 5"},
      {bin({5}), Op::Multiply, i32(2), "Double 0"},
      {ptr(16), Op::Multiply, i32(2), "Ptr 0x00000010"},
      {keyword(), Op::Multiply, i32(2), "Keyword Default"},
  });
}

TEST(Operators, DivisionAlwaysGivesADouble) {
  checkAll({
      {i32(5), Op::Divide, i32(1), "Double 5"},
      {i64(7), Op::Divide, i32(2), "Double 3.5"},
      {i32(1), Op::Divide, i32(0), "Double 1.#INF"},
      {i32(-1), Op::Divide, i32(0), "Double -1.#INF"},
      {i32(0), Op::Divide, i32(0), "Double -1.#IND"},
      {str("9"), Op::Divide, str("3"), "Double 3"},
      {boolean(true), Op::Divide, i32(4), "Double 0.25"},
      {bin({5}), Op::Divide, i32(2), "Double 0"},
      {ptr(16), Op::Divide, i32(2), "Ptr 0x00000010"},
      {keyword(), Op::Divide, i32(1), "Keyword Default"},
  });
}

TEST(Operators, PowerRules) {
  checkAll({
      {i32(2), Op::Power, i32(3), "Double 8"},
      {i32(2), Op::Power, i32(-1), "Double 0.5"},
      // A zero exponent wins over everything.
      {i32(0), Op::Power, i32(0), "Double 1"},
      {dbl(kNaN), Op::Power, i32(0), "Double 1"},
      {keyword(), Op::Power, i32(0), "Double 1"},
      {keyword(), Op::Power, dbl(-0.0), "Double 1"},
      // Zero base.
      {i32(0), Op::Power, i32(-1), "Double 1.#INF"},
      {i32(0), Op::Power, i32(-2), "Double 1.#INF"},
      {i32(0), Op::Power, i32(3), "Double 0"},
      {dbl(-0.0), Op::Power, i32(3), "Double -0"},
      {dbl(-0.0), Op::Power, i32(-3), "Double -1.#INF"},
      {dbl(-0.0), Op::Power, i32(2), "Double 0"},
      {dbl(-0.0), Op::Power, dbl(-0.5), "Double 1.#INF"},
      // Infinite exponent.
      {i32(1), Op::Power, dbl(kInf), "Double -1.#IND"},
      {i32(-1), Op::Power, dbl(-kInf), "Double -1.#IND"},
      {dbl(0.5), Op::Power, dbl(kInf), "Double 0"},
      {dbl(0.5), Op::Power, dbl(-kInf), "Double 1.#INF"},
      {i32(2), Op::Power, dbl(kInf), "Double 1.#INF"},
      {i32(-2), Op::Power, dbl(-kInf), "Double 0"},
      // Infinite base.
      {dbl(kInf), Op::Power, i32(-1), "Double 0"},
      {dbl(kInf), Op::Power, dbl(0.5), "Double 1.#INF"},
      {dbl(-kInf), Op::Power, i32(3), "Double -1.#INF"},
      {dbl(-kInf), Op::Power, i32(-3), "Double -0"},
      {dbl(-kInf), Op::Power, i32(2), "Double 1.#INF"},
      {dbl(-kInf), Op::Power, dbl(-0.5), "Double 0"},
      // Negative base with an integral exponent.
      {i32(-8), Op::Power, i32(3), "Double -512"},
      {i32(-8), Op::Power, i32(2), "Double 64"},
      {i32(-2), Op::Power, i32(-1), "Double -0.5"},
      {dbl(-8.0), Op::Power, dbl(3.0), "Double -512"},
      {i64(-2), Op::Power, i64(3), "Double -8"},
      {dbl(-2.0), Op::Power, dbl(1e300), "Double 1.#INF"},
      // Everything else is pow of the numbers.
      {i32(-8), Op::Power, dbl(0.5), "Double -1.#IND"},
      {str("-8"), Op::Power, i32(3), "Double -512"},
      {str("1"), Op::Power, dbl(kInf), "Double 1"},  // a String base has no class
      {dbl(kNaN), Op::Power, i32(1), "Double 1.#QNAN"},
  });
}

TEST(Operators, ConcatenationForms) {
  checkAll({
      {str("ab"), Op::Concatenate, str("cd"), "String abcd"},
      {str("a"), Op::Concatenate, i32(1), "String a1"},
      {str("a"), Op::Concatenate, i32(INT32_MIN), "String a-2147483648"},
      {str(""), Op::Concatenate, i64(INT64_MIN), "String -9223372036854775808"},
      {str("a"), Op::Concatenate, i64(0), "String a0"},
      {str("a"), Op::Concatenate, dbl(1.5), "String a1.5"},
      {str("a"), Op::Concatenate, boolean(true), "String aTrue"},
      {str("a"), Op::Concatenate, keyword(), "String aDefault"},
      {str("a"), Op::Concatenate, bin({1, 2}), "String a0x0102"},
      {str("a"), Op::Concatenate, array(), "String a"},
      {str(""), Op::Concatenate, str(""), "String"},
      {i32(3), Op::Concatenate, i32(4), "String 34"},
      {i64(-5), Op::Concatenate, str("x"), "String -5x"},
      {dbl(0.1), Op::Concatenate, str(""), "String 0.1"},
      {ptr(16), Op::Concatenate, str("!"), "String 0x00000010!"},
      {boolean(true), Op::Concatenate, boolean(false), "String TrueFalse"},
      {keyword(), Op::Concatenate, i32(1), "String Default1"},
      {bin({1}), Op::Concatenate, bin({2}), "Binary 0x0102"},
      {bin({1}), Op::Concatenate, str("z"), "String 0x01z"},
      {bin({}), Op::Concatenate, i32(5), "String 5"},
  });
}

TEST(Operators, ConcatenationAppendsToAnUnsharedStringInPlace) {
  Variant s = str("ab");
  s.mutableString().reserve(64);
  const char16_t* buffer = s.asString().data();
  vx::concatenateInPlace(s, str("cd"));
  vx::concatenateInPlace(s, i32(5));
  EXPECT_EQ(s.asString().data(), buffer);
  EXPECT_EQ(describe(s), "String abcd5");
}

TEST(Operators, ConcatenationLeavesCopiesOfTheStringAlone) {
  Variant s = str("ab");
  Variant copy = s;  // shares the buffer that the append must not touch
  vx::concatenateInPlace(s, copy);
  EXPECT_EQ(describe(s), "String abab");
  EXPECT_EQ(describe(copy), "String ab");
}

TEST(Operators, ConcatenationDropsTheCachedFormOfANumber) {
  Variant n = i32(3);
  EXPECT_EQ(describe(n), "Int32 3");  // caches "3"
  vx::concatenateInPlace(n, i32(4));
  vx::addInPlace(n, i32(1));
  EXPECT_EQ(describe(n), "Double 35");
}

TEST(Operators, ContainersAndObjectsOnTheLeftStayUnchanged) {
  for (Op op : {Op::Add, Op::Subtract, Op::Multiply, Op::Divide, Op::Concatenate}) {
    Variant a = array();
    const vx::ArrayStorage* storage = a.array();
    apply(op, a, i32(1));
    EXPECT_EQ(a.array(), storage) << opText(op);

    for (VType type : {VType::Object, VType::DllStruct}) {
      Variant o = owned(type);
      OwnedPayload* payload = o.owned();
      apply(op, o, str("1"));
      EXPECT_EQ(o.type(), type) << opText(op);
      EXPECT_EQ(o.owned(), payload) << opText(op);
    }

    Variant target = i32(7);
    Variant reference = Variant::fromReference(&target);
    apply(op, reference, i32(1));
    EXPECT_EQ(reference.reference(), &target) << opText(op);
    EXPECT_EQ(describe(target), "Int32 7");
  }
}

TEST(Operators, NegationMultipliesByMinusOne) {
  struct Case {
    Variant value;
    const char* expected;
  };
  std::vector<Case> cases;
  cases.push_back({i32(5), "Int32 -5"});
  cases.push_back({i32(INT32_MIN), "Int64 2147483648"});
  cases.push_back({i64(INT64_MIN), "Int64 -9223372036854775808"});
  cases.push_back({dbl(1.5), "Double -1.5"});
  cases.push_back({dbl(0), "Double -0"});
  cases.push_back({str("5"), "Double -5"});
  cases.push_back({boolean(true), "Double -1"});
  cases.push_back({keyword(), "Keyword Default"});
  cases.push_back({ptr(16), "Ptr 0x00000010"});
  for (Case& c : cases) {
    std::string before = describe(c.value);
    vx::negateInPlace(c.value);
    EXPECT_EQ(describe(c.value), c.expected) << "-" << before;
  }
}

TEST(Operators, NotGivesTheNegatedTruthValue) {
  struct Case {
    Variant value;
    bool expected;
  };
  std::vector<Case> cases;
  cases.push_back({i32(0), true});
  cases.push_back({i64(1), false});
  cases.push_back({dbl(kNaN), false});
  cases.push_back({str("0"), false});
  cases.push_back({str(""), true});
  cases.push_back({ptr(0), true});
  cases.push_back({bin({}), true});
  cases.push_back({bin({0}), false});
  cases.push_back({keyword(), true});
  cases.push_back({array(), true});
  for (Case& c : cases) {
    std::string before = describe(c.value);
    vx::notInPlace(c.value);
    EXPECT_EQ(describe(c.value), c.expected ? "Bool True" : "Bool False") << "Not " << before;
  }
}

namespace {

struct CompareCase {
  Variant left;
  CompareOp op;
  Variant right;
  bool expected;
};

const char* compareText(CompareOp op) {
  static const char* const kText[] = {"<", ">", "<=", ">=", "<>", "=", "=="};
  return kText[static_cast<int>(op)];
}

void checkComparisons(const std::vector<CompareCase>& cases) {
  for (const CompareCase& c : cases)
    EXPECT_EQ(vx::compare(c.op, c.left, c.right), c.expected)
        << describe(c.left) << " " << compareText(c.op) << " " << describe(c.right);
}

const CompareOp kLt = CompareOp::Less, kGt = CompareOp::Greater, kLe = CompareOp::LessEqual,
                kGe = CompareOp::GreaterEqual, kNe = CompareOp::NotEqual, kEq = CompareOp::Equal,
                kEqCase = CompareOp::EqualCaseSensitive;

}  // namespace

TEST(Operators, NumericComparisons) {
  checkComparisons({
      {i32(1), kLt, i32(2), true},
      {i32(2), kGt, i32(1), true},
      {i32(2), kLe, i32(2), true},
      {i32(2), kGe, i32(3), false},
      {i32(1), kEq, dbl(1.0), true},
      {i64(INT64_C(1) << 32), kEq, i32(0), false},  // compared in 64 bits
      {i64(INT64_C(1) << 32), kGt, i32(1), true},
      {dbl(kNaN), kEq, dbl(kNaN), false},
      {dbl(kNaN), kNe, dbl(kNaN), true},
      {dbl(kNaN), kGe, i32(0), true},  // ">=" is "not <"
      {str("10"), kEq, i32(10), true},
      {str("10"), kLt, i32(9), false},
      {i32(9), kLt, str("10"), true},
      {str("10"), kGt, i32(9), true},
      {dbl(0.5), kLt, str("0.6"), true},
      // A block meets integers as its little-endian number but Doubles as 0.
      {i32(5), kEq, bin({5}), true},
      {bin({1, 2}), kEq, i32(513), true},
      {bin({0, 0, 0, 0, 0, 0, 0, 1}), kEq, i64(INT64_C(1) << 56), true},
      {dbl(0), kEq, bin({5}), true},
      {i32(4), kLt, bin({5}), true},
  });
}

TEST(Operators, StringComparisonsIgnoreCaseExceptForDoubleEquals) {
  checkComparisons({
      {str("abc"), kEq, str("ABC"), true},
      {str("abc"), kEqCase, str("ABC"), false},
      {str("abc"), kEqCase, str("abc"), true},
      {str("abc"), kLt, str("ABD"), true},
      {str("b"), kGt, str("A"), true},
      {str("abc"), kNe, str("abd"), true},
      {str("ab"), kLt, str("abc"), true},
  });
}

TEST(Operators, CaseSensitiveEqualityComparesStringForms) {
  checkComparisons({
      {i32(1), kEqCase, str("1"), true},
      {dbl(1.0), kEqCase, str("1"), true},
      {dbl(0.1 + 0.2), kEqCase, dbl(0.3), true},  // both print as 0.3
      {dbl(0.1 + 0.2), kEq, dbl(0.3), false},
      {i64(INT64_C(1) << 32), kEqCase, i32(0), false},
      {boolean(true), kEqCase, str("True"), true},
      {array(), kEqCase, str(""), true},
      {owned(VType::Object), kEqCase, str(""), false},
      {str(""), kEqCase, owned(VType::Object, false), false},
  });
}

TEST(Operators, TruthValueComparisonsHaveNoOrder) {
  checkComparisons({
      {boolean(true), kLt, i32(2), false},
      {boolean(true), kGe, i32(2), true},
      {boolean(true), kLe, i32(2), true},
      {boolean(true), kEq, i32(2), true},
      {i32(0), kEq, boolean(false), true},
      {boolean(true), kEq, str("0"), true},  // "0" is a non-empty string
      {boolean(false), kEq, bin({}), true},
      {boolean(false), kEq, array(), true},
      {array(), kEq, boolean(false), false},  // only the Bool row compares with an Array
      {boolean(true), kEq, owned(VType::Object), false},
      {boolean(false), kEq, keyword(), false},  // never comparable with a Keyword
  });
}

TEST(Operators, PointerComparisonsAreUnsigned) {
  checkComparisons({
      {ptr(16), kEq, i32(16), true},
      {ptr(16), kEq, ptr(16), true},
      {ptr(16), kLt, ptr(17), true},
      {ptr(16), kLt, i32(-1), true},
      {i32(-1), kGt, ptr(16), true},
      {ptr(16), kEq, str("0x10"), true},
      {ptr(0x80000000), kEq, str("2147483648"), true},  // not saturated at 32 bits
      {i64(16), kEq, ptr(16), true},
      {bin({16}), kEq, ptr(16), true},
      {ptr(16), kEq, dbl(16), false},  // not comparable
      {ptr(16), kNe, dbl(16), true},
  });
}

TEST(Operators, BinaryComparisonsCompareBytes) {
  checkComparisons({
      {bin({1, 2}), kEq, bin({1, 2}), true},
      {bin({1, 2}), kEq, bin({1, 2, 0}), false},
      {bin({}), kEq, bin({}), true},
      {bin({1}), kLt, bin({2}), false},
      {bin({1}), kGe, bin({2}), true},
      {bin({1}), kLe, bin({2}), true},
      {bin({0x61, 0x62}), kEq, str("ab"), true},
      {str("ab"), kEq, bin({0x61, 0x62}), true},
      {str("AB"), kEq, bin({0x61, 0x62}), false},
      {bin({1, 0xAB}), kEq, str("0x01ab"), true},
      {bin({1, 0xAB}), kEq, str("0X01AB"), true},
      // An odd digit count or a bad digit is plain text.
      {bin({'0', 'x', '0', '1', '2'}), kEq, str("0x012"), true},
      {bin({'0', 'x', 'z', 'z'}), kEq, str("0xzz"), true},
      {bin({}), kEq, str("0x"), true},
      {bin({0xE9}), kEq, Variant::fromString(String(u"\u00e9", 1)), true},
  });
}

TEST(Operators, KeywordObjectAndContainerComparisons) {
  Variant object = owned(VType::Object);
  checkComparisons({
      {keyword(), kEq, keyword(), true},
      {keyword(), kLt, keyword(), false},
      {keyword(), kGe, keyword(), true},
      {keyword(), kEq, i32(-1), false},
      {i32(-1), kEq, keyword(), false},
      {owned(VType::Object), kEq, owned(VType::Object), false},
      {owned(VType::Object, false), kEq, owned(VType::Object, false), true},
      {owned(VType::Object), kEq, owned(VType::Object, false), false},
      {array(), kEq, array(), false},
      {array(), kNe, array(), true},
      {i32(0), kEq, array(), false},
      {owned(VType::DllStruct), kEq, owned(VType::DllStruct), false},
  });
  EXPECT_TRUE(vx::compareEqual(object, object));
  EXPECT_FALSE(vx::compareLess(object, object));
}

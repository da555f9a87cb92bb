#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "values/variant.h"

using vx::String;
using vx::Variant;
using vx::VType;

namespace {

Variant str(const char* ascii) { return Variant::fromString(String::fromAscii(ascii)); }

Variant bytes(std::vector<unsigned char> b) { return Variant::fromBinary(b.data(), b.size()); }

double fromBits(uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

uint64_t bitsOf(double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

Variant dbl(double d) { return Variant::fromDouble(d); }

Variant owned(VType type) {
  Variant v;
  v.setOwned(type, nullptr);
  return v;
}

Variant array() {
  Variant v;
  uint32_t size = 2;
  v.dimension(&size, 1);
  return v;
}

struct Row {
  const char* label;
  Variant value;
  int32_t i32;
  int64_t i64;
  double d;
  bool truth;
  const char* text;
};

}  // namespace

// One row per case: every conversion of the value at once.
TEST(VariantConversion, Table) {
  Variant target = Variant::fromInt32(7);
  const double nan = fromBits(0xFFF8000000000000ull);
  const Row rows[] = {
      {"int32 0", Variant(), 0, 0, 0, false, "0"},
      {"int32 -5", Variant::fromInt32(-5), -5, -5, -5, true, "-5"},
      {"int32 min", Variant::fromInt32(INT32_MIN), INT32_MIN, INT32_MIN, INT32_MIN, true, "-2147483648"},
      {"int64 low bits", Variant::fromInt64(0x100000005LL), 5, 0x100000005LL, 4294967301.0, true, "4294967301"},
      {"int64 -1", Variant::fromInt64(-1), -1, -1, -1, true, "-1"},
      {"int64 0", Variant::fromInt64(0), 0, 0, 0, false, "0"},
      {"double 2.7", dbl(2.7), 2, 2, 2.7, true, "2.7"},
      {"double -2.7", dbl(-2.7), -2, -2, -2.7, true, "-2.7"},
      {"double near 3", dbl(2.9999999999999996), 2, 3, 2.9999999999999996, true, "3"},
      {"double near -3", dbl(-2.9999999999999996), -2, -3, -2.9999999999999996, true, "-3"},
      {"10 ulps below 29", dbl(fromBits(bitsOf(29.0) - 10)), 28, 29, fromBits(bitsOf(29.0) - 10), true, "29"},
      {"11 ulps below 29", dbl(fromBits(bitsOf(29.0) - 11)), 28, 28, fromBits(bitsOf(29.0) - 11), true, "29"},
      {"near 1 from below", dbl(0.9999999999999999), 0, 1, 0.9999999999999999, true, "1"},
      {"half", dbl(0.5), 0, 0, 0.5, true, "0.5"},
      {"double 3e9", dbl(3e9), INT32_MIN, 3000000000LL, 3e9, true, "3000000000"},
      {"double -2^31", dbl(-2147483648.0), INT32_MIN, INT32_MIN, -2147483648.0, true, "-2147483648"},
      {"double 1e20", dbl(1e20), INT32_MIN, INT64_MIN, 1e20, true, "1e+020"},
      {"double -0", dbl(-0.0), 0, 0, -0.0, false, "-0"},
      {"double tiny", dbl(1e-300), 0, 0, 1e-300, true, "1e-300"},
      {"double NaN", dbl(nan), INT32_MIN, INT64_MIN, nan, true, "-1.#IND"},
      {"hex 0x10", str("0x10"), 16, 16, 16, true, "0x10"},
      {"hex upper", str("0XfF"), 255, 255, 255, true, "0XfF"},
      {"hex empty", str("0x"), 0, 0, 0, true, "0x"},
      {"hex bad digit", str("0x1G"), 0, 0, 0, true, "0x1G"},
      {"hex nine digits", str("0x123456789"), 0, 0x123456789LL, 0, true, "0x123456789"},
      {"hex eight F", str("0xFFFFFFFF"), -1, 4294967295LL, 4294967295.0, true, "0xFFFFFFFF"},
      {"hex sixteen F", str("0xFFFFFFFFFFFFFFFF"), 0, -1, 0, true, "0xFFFFFFFFFFFFFFFF"},
      {"hex seventeen", str("0x10000000000000000"), 0, 0, 0, true, "0x10000000000000000"},
      {"hex after blank", str(" 0x10"), 0, 0, 0, true, " 0x10"},
      {"blank 12abc", str(" 12abc"), 12, 12, 12, true, " 12abc"},
      {"abc", str("abc"), 0, 0, 0, true, "abc"},
      {"1e3", str("1e3"), 1, 1, 1000, true, "1e3"},
      {"-1.9", str("-1.9"), -1, -1, -1.9, true, "-1.9"},
      {"text 0", str("0"), 0, 0, 0, true, "0"},
      {"empty text", str(""), 0, 0, 0, false, ""},
      {"saturating", str("-99999999999999999999"), INT32_MIN, INT64_MIN, -1e20, true, "-99999999999999999999"},
      {"true", Variant::fromBool(true), 1, 1, 1, true, "True"},
      {"false", Variant::fromBool(false), 0, 0, 0, false, "False"},
      {"ptr 2^31", Variant::fromPtr(0x80000000u), INT32_MIN, -2147483648LL, 0, true, "0x80000000"},
      {"ptr small", Variant::fromPtr(0x1234), 0x1234, 0x1234, 0, true, "0x00001234"},
      {"ptr null", Variant::fromPtr(0), 0, 0, 0, false, "0x00000000"},
      {"default", Variant::makeDefault(), -1, 0, -1, false, "Default"},
      {"binary 01 02", bytes({1, 2}), 513, 513, 0, true, "0x0102"},
      {"binary empty", bytes({}), 0, 0, 0, false, ""},
      {"binary four FF", bytes({0xFF, 0xFF, 0xFF, 0xFF}), -1, 4294967295LL, 0, true, "0xFFFFFFFF"},
      {"binary five", bytes({1, 0, 0, 0, 1}), 0, 0x100000001LL, 0, true, "0x0100000001"},
      {"binary nine", bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}), 0, 0, 0, true, "0x010203040506070809"},
      {"binary AB", bytes({0xAB}), 0xAB, 0xAB, 0, true, "0xAB"},
      {"array", array(), 0, 0, 0, false, ""},
      {"reference", Variant::fromReference(&target), 0, 0, 0, false, ""},
      {"object", owned(VType::Object), 0, 0, 0, false, ""},
      {"dllstruct", owned(VType::DllStruct), 0, 0, 0, false, ""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.value.toInt32(), r.i32) << r.label;
    EXPECT_EQ(r.value.toInt64(), r.i64) << r.label;
    if (std::isnan(r.d)) EXPECT_TRUE(std::isnan(r.value.toDouble())) << r.label;
    else EXPECT_EQ(bitsOf(r.value.toDouble()), bitsOf(r.d)) << r.label << " " << r.value.toDouble();
    EXPECT_EQ(r.value.truth(), r.truth) << r.label;
    EXPECT_EQ(r.value.stringForm().toUtf8(), r.text) << r.label;
  }
}

TEST(VariantConversion, ByteSizeAndTypeName) {
  Variant target;
  const struct {
    Variant value;
    int32_t size;
    const char* name;
  } rows[] = {
      {Variant::fromInt32(1), 4, "Int32"},
      {Variant::fromInt64(1), 8, "Int64"},
      {dbl(1), 8, "Double"},
      {str("abc"), 8, "String"},
      {str(""), 2, "String"},
      {array(), 0, "Array"},
      {Variant::fromReference(&target), 0, "Reference"},
      {Variant::fromPtr(1), static_cast<int32_t>(sizeof(void*)), "Ptr"},
      {owned(VType::Object), 0, "Object"},
      {Variant::fromBool(true), 1, "Bool"},
      {Variant::makeDefault(), 0, "Keyword"},
      {bytes({1, 2, 3}), 3, "Binary"},
      {bytes({}), 0, "Binary"},
      {owned(VType::DllStruct), 0, "DLLStruct"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(r.value.byteSize(), r.size) << r.name;
    EXPECT_STREQ(r.value.typeName(), r.name);
  }
}

// A number used as text is formatted once; any change drops the cached form.
TEST(VariantConversion, CachedTextFollowsTheValue) {
  Variant v = dbl(0.5);
  const String& first = v.stringForm();
  EXPECT_TRUE(first.sharesBufferWith(v.stringForm()));
  EXPECT_EQ(v.stringForm().toUtf8(), "0.5");

  v.setDouble(0.25);
  EXPECT_EQ(v.stringForm().toUtf8(), "0.25");
  v.setInt32(3);
  EXPECT_EQ(v.stringForm().toUtf8(), "3");
  v.setInt64(4);
  EXPECT_EQ(v.stringForm().toUtf8(), "4");
  v.setBool(true);
  EXPECT_EQ(v.stringForm().toUtf8(), "True");
  v.setPtr(0xAB);
  EXPECT_EQ(v.stringForm().toUtf8(), "0x000000AB");
  v = Variant::fromInt32(9);
  EXPECT_EQ(v.stringForm().toUtf8(), "9");
  v.clear();
  EXPECT_EQ(v.stringForm().toUtf8(), "0");
  Variant source = Variant::fromInt32(12);
  source.stringForm();
  v = source;
  EXPECT_EQ(v.stringForm().toUtf8(), "12");
  v = Variant::fromInt64(13);  // move assignment
  EXPECT_EQ(v.stringForm().toUtf8(), "13");
  v.setString(String::fromAscii("text"));
  EXPECT_EQ(v.stringForm().toUtf8(), "text");
  v.setDefault();
  EXPECT_EQ(v.stringForm().toUtf8(), "Default");

  unsigned char b[] = {1, 2};
  v.setBinary(b, 2);
  EXPECT_EQ(v.stringForm().toUtf8(), "0x0102");
  v.mutableBinary()->bytes[0] = 0xFF;
  EXPECT_EQ(v.stringForm().toUtf8(), "0xFF02");
}

TEST(VariantConversion, DefaultKeyword) {
  Variant d = Variant::makeDefault();
  EXPECT_TRUE(d.isKeyword());
  EXPECT_TRUE(d.isDefault());
  EXPECT_EQ(d.keyword()->keywordIndex, 41);
  EXPECT_FALSE(Variant::fromInt32(-1).isDefault());
  Variant copy = d;
  EXPECT_TRUE(copy.isDefault());
}

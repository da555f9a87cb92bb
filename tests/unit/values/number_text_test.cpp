#include "values/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

using vx::String;

namespace {

double fromBits(uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string text(const String& s) { return s.toUtf8(); }

}  // namespace

TEST(NumberText, FormatDouble) {
  struct Case {
    double value;
    const char* expected;
  };
  const Case cases[] = {
      {0.0, "0"},
      {-0.0, "-0"},
      {1.0, "1"},
      {-1.5, "-1.5"},
      {100.0, "100"},
      {0.1, "0.1"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {1e20, "1e+020"},
      {1e-5, "1e-005"},
      {1e-4, "0.0001"},
      {0.000123456, "0.000123456"},
      {1.5e300, "1.5e+300"},
      {-2.5e-300, "-2.5e-300"},
      {123456789012345678.0, "1.23456789012346e+017"},
      {999999999999999.0, "999999999999999"},
      {1e15, "1e+015"},
      {999999999999999.9, "1e+015"},  // rounding carries into the exponent
      {123456.789, "123456.789"},
      {DBL_MAX, "1.79769313486232e+308"},
      {DBL_MIN, "2.2250738585072e-308"},
      {fromBits(1), "4.94065645841247e-324"},  // smallest denormal
      {fromBits(0x000FFFFFFFFFFFFFull), "2.2250738585072e-308"},
      {3.0000000000000004, "3"},
      {0.30000000000000004, "0.3"},
      // Exact ties at the fifteenth digit round away from zero.
      {123456789012344.5, "123456789012345"},
      {-123456789012344.5, "-123456789012345"},
      {HUGE_VAL, "1.#INF"},
      {-HUGE_VAL, "-1.#INF"},
      {fromBits(0xFFF8000000000000ull), "-1.#IND"},  // what 0.0 / 0.0 gives on x86
      {fromBits(0x7FF8000000000000ull), "1.#QNAN"},
      {fromBits(0x7FF0000000000001ull), "1.#QNAN"},
      {fromBits(0xFFF8000000000001ull), "1.#QNAN"},
  };
  for (const Case& c : cases) EXPECT_EQ(text(vx::formatDouble(c.value)), c.expected) << std::hexfloat << c.value;
}

// The text must read back as the value rounded to 15 significant digits.
TEST(NumberText, FormatDoubleReadsBackAsFifteenDigits) {
  std::mt19937_64 random(20240611);
  int checked = 0;
  for (int i = 0; i < 200000; ++i) {
    double x = fromBits(random());
    if (i % 4 == 0) x = static_cast<double>(random() % 1000000007) / static_cast<double>(1 + random() % 4096);
    if (!std::isfinite(x)) continue;
    std::string formatted = text(vx::formatDouble(x));
    double back = std::strtod(formatted.c_str(), nullptr);
    char rounded[40];
    std::snprintf(rounded, sizeof rounded, "%.14e", x);
    double expected = std::strtod(rounded, nullptr);
    if (back != expected) {
      // glibc breaks exact ties to even; we round them away from zero.
      char exact[80];
      std::snprintf(exact, sizeof exact, "%.40e", x);
      std::string digits = std::string(exact).substr(x < 0 ? 1 : 0);
      digits.erase(1, 1);  // the decimal point
      bool tie = digits[15] == '5' && digits.find_first_not_of('0', 16) == digits.find('e');
      EXPECT_TRUE(tie && std::fabs(back) > std::fabs(expected)) << std::hexfloat << x << " " << formatted;
    }
    ++checked;
  }
  EXPECT_GT(checked, 150000);
}

TEST(NumberText, FormatInt64) {
  EXPECT_EQ(text(vx::formatInt64(0)), "0");
  EXPECT_EQ(text(vx::formatInt64(-42)), "-42");
  EXPECT_EQ(text(vx::formatInt64(INT64_MAX)), "9223372036854775807");
  EXPECT_EQ(text(vx::formatInt64(INT64_MIN)), "-9223372036854775808");
}

TEST(NumberText, ParseIntegers) {
  struct Case {
    const char* text;
    int32_t i32;
    int64_t i64;
  };
  const Case cases[] = {
      {"", 0, 0},
      {"abc", 0, 0},
      {"-", 0, 0},
      {" 12abc", 12, 12},
      {"\t\r\n\v\f -7", -7, -7},
      {"+5", 5, 5},
      {"- 5", 0, 0},
      {"0x10", 0, 0},
      {"1e3", 1, 1},
      {"007", 7, 7},
      {"2147483647", INT32_MAX, 2147483647},
      {"2147483648", INT32_MAX, 2147483648LL},
      {"-2147483648", INT32_MIN, -2147483648LL},
      {"-2147483649", INT32_MIN, -2147483649LL},
      {"9223372036854775807", INT32_MAX, INT64_MAX},
      {"9223372036854775808", INT32_MAX, INT64_MAX},
      {"-9223372036854775808", INT32_MIN, INT64_MIN},
      {"-99999999999999999999999", INT32_MIN, INT64_MIN},
  };
  for (const Case& c : cases) {
    std::u16string s = wide(c.text);
    EXPECT_EQ(vx::parseInt32(s.data(), s.size()), c.i32) << c.text;
    EXPECT_EQ(vx::parseInt64(s.data(), s.size()), c.i64) << c.text;
  }
  // Only ASCII white space is skipped; the length bounds the parse.
  const char16_t nbsp[] = {0x00A0, u'5'};
  EXPECT_EQ(vx::parseInt32(nbsp, 2), 0);
  EXPECT_EQ(vx::parseInt64(u"123", 2), 12);
}

TEST(NumberText, ParseDouble) {
  struct Case {
    const char* text;
    double value;
    size_t consumed;
  };
  const Case cases[] = {
      {"", 0, 0},
      {".", 0, 0},
      {"-", 0, 0},
      {"abc", 0, 0},
      {"inf", 0, 0},
      {"nan", 0, 0},
      {"1e3", 1000, 3},
      {"1e", 1, 1},
      {"1e+", 1, 1},
      {"1E-2", 0.01, 4},
      {".5", 0.5, 2},
      {"5.", 5, 2},
      {"-.5e-1x", -0.05, 6},
      {"  12abc", 12, 4},
      {"0x1A", 0, 1},
      {"1.5.5", 1.5, 3},
      {"+2.5e+2", 250, 7},
      {"1e400", HUGE_VAL, 5},
  };
  for (const Case& c : cases) {
    std::u16string s = wide(c.text);
    size_t consumed = 99;
    EXPECT_EQ(vx::parseDouble(s.data(), s.size(), &consumed), c.value) << c.text;
    EXPECT_EQ(consumed, c.consumed) << c.text;
  }
  std::u16string minusZero = u"-0";
  EXPECT_TRUE(std::signbit(vx::parseDouble(minusZero.data(), minusZero.size())));
  EXPECT_EQ(vx::parseDouble(u"1234", 2), 12);
}

// Hard cases for rounding, and runs longer than any small buffer.
TEST(NumberText, ParseDoubleIsCorrectlyRounded) {
  const std::string texts[] = {
      "0.1",
      "2.2250738585072011e-308",
      "4.9406564584124654e-324",
      "9007199254740993",
      "1.00000000000000011102230246251565404236316680908203125",
      "1.00000000000000011102230246251565404236316680908203126",
      "7.2057594037927933e16",
      "0." + std::string(400, '0') + "1e400",
      std::string(320, '9'),
  };
  for (const std::string& t : texts) {
    std::u16string s = wide(t);
    size_t consumed = 0;
    EXPECT_EQ(vx::parseDouble(s.data(), s.size(), &consumed), std::strtod(t.c_str(), nullptr)) << t;
    EXPECT_EQ(consumed, t.size());
  }
}

TEST(NumberText, ParseHexDigits) {
  struct Case {
    const char* text;
    int maxDigits;
    bool ok;
    uint64_t value;
  };
  const Case cases[] = {
      {"", 8, true, 0},
      {"10", 8, true, 16},
      {"fF", 8, true, 255},
      {"FFFFFFFF", 8, true, 0xFFFFFFFFu},
      {"123456789", 8, false, 0},
      {"123456789", 16, true, 0x123456789ull},
      {"FFFFFFFFFFFFFFFF", 16, true, UINT64_MAX},
      {"1G", 8, false, 0},
      {" 1", 8, false, 0},
      {"-1", 8, false, 0},
  };
  for (const Case& c : cases) {
    std::u16string s = wide(c.text);
    uint64_t value = 77;
    EXPECT_EQ(vx::parseHexDigits(s.data(), s.size(), c.maxDigits, &value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

// The conversions against the C library's snprintf, on random flags, widths,
// precisions and values with a fixed seed. Only the cases where our output
// is meant to match printf are compared; exponents are widened to three
// digits on the printf side, and exact ties (where we round away from zero)
// are skipped.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "builtins/text/decimal_digits.h"
#include "builtins/text/string_format.h"

namespace vx {
namespace {

std::string printfFormat(const FormatSpec& request, bool withWidth = true) {
  std::string f = "%";
  if (request.flag) f += request.flag;
  if (withWidth && request.width >= 0) f += std::to_string(request.width);
  if (request.precision >= 0) f += "." + std::to_string(request.precision);
  if (request.size) f += request.size;
  f += request.conversion;
  return f;
}

template <typename T>
std::string cFormat(const std::string& format, T value) {
  char buffer[4096];
  std::snprintf(buffer, sizeof buffer, format.c_str(), value);
  return buffer;
}

// printf writes two exponent digits where we write three; the extra digit
// then takes the place of one padding character.
std::string widenExponent(const FormatSpec& request, std::string text, size_t unpaddedLength) {
  const size_t e = text.find_first_of("eE");
  if (e == std::string::npos) return text;
  size_t digits = 0;
  while (e + 2 + digits < text.size() && std::isdigit(static_cast<unsigned char>(text[e + 2 + digits]))) ++digits;
  if (digits != 2) return text;
  text.insert(e + 2, "0");
  if (unpaddedLength < text.size() - 1) {  // the field was padded
    if (request.flag == '-') {
      text.pop_back();
    } else if (request.flag == '0') {
      text.erase(text[0] == '-' || text[0] == '+' || text[0] == ' ' ? 1 : 0, 1);
    } else {
      text.erase(0, 1);
    }
  }
  return text;
}

std::string ours(const FormatSpec& request, int32_t value) {
  String out;
  formatInteger(request, value, out);
  return out.toUtf8();
}

std::string ours(const FormatSpec& request, double value) {
  String out;
  formatFloating(request, value, out);
  return out.toUtf8();
}

bool isExactTie(const FormatSpec& request, double value) {
  const DecimalDigits d = exactDecimalDigits(value);
  const int precision = request.precision < 0 ? 6 : request.precision;
  int keep;
  if (request.conversion == 'f') keep = d.pointPosition + precision;
  else if (request.conversion == 'e' || request.conversion == 'E') keep = precision + 1;
  else keep = precision == 0 ? 1 : precision;
  return keep >= 0 && d.digits.size() == static_cast<size_t>(keep) + 1 && d.digits.back() == '5';
}

FormatSpec randomSpec(std::mt19937& rng, const char* conversions, const char* flags, int maxPrecision) {
  FormatSpec request;
  const size_t flagCount = std::strlen(flags);
  request.flag = rng() % 3 == 0 ? 0 : flags[rng() % flagCount];
  request.width = rng() % 3 == 0 ? -1 : static_cast<int>(rng() % 30);
  request.precision = rng() % 3 == 0 ? -1 : static_cast<int>(rng() % (maxPrecision + 1));
  request.conversion = conversions[rng() % std::strlen(conversions)];
  return request;
}

TEST(StringFormatConversions, IntegersMatchPrintf) {
  std::mt19937 rng(20240601);
  for (int i = 0; i < 20000; ++i) {
    FormatSpec request = randomSpec(rng, "diouxX", "-+ 0#", 15);
    request.size = "\0hl"[rng() % 3];
    int32_t value;
    switch (rng() % 4) {
      case 0: value = static_cast<int32_t>(rng()); break;
      case 1: value = static_cast<int32_t>(rng() % 200) - 100; break;
      case 2: value = rng() % 2 ? INT32_MIN : INT32_MAX; break;
      default: value = static_cast<int32_t>(rng() % 140000) - 70000; break;
    }
    const std::string format = printfFormat(request);
    // %l reads a long, 64 bits here; the value it stands for is the same.
    const bool isSigned = request.conversion == 'd' || request.conversion == 'i';
    const std::string expected = request.size != 'l' ? cFormat(format, value)
                                 : isSigned       ? cFormat(format, static_cast<long>(value))
                                                  : cFormat(format, static_cast<unsigned long>(static_cast<uint32_t>(value)));
    ASSERT_EQ(ours(request, value), expected) << format << " of " << value;
  }
}

double randomDouble(std::mt19937_64& rng) {
  switch (rng() % 6) {
    case 0: {  // any finite bit pattern
      for (;;) {
        const uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v)) return v;
      }
    }
    case 1: return std::ldexp(static_cast<double>(rng() % 1000000) - 500000, -static_cast<int>(rng() % 30));
    case 2: return static_cast<double>(static_cast<int64_t>(rng() % 2000001) - 1000000);
    case 3: return std::pow(10.0, static_cast<int>(rng() % 41) - 20) * (rng() % 2 ? 1 : -1);
    case 4: return (static_cast<double>(rng() % 100000) + 0.5) / std::pow(10.0, static_cast<int>(rng() % 8));
    default: return rng() % 2 ? 0.0 : -0.0;
  }
}

TEST(StringFormatConversions, FloatingMatchesPrintf) {
  std::mt19937 specRng(7);
  std::mt19937_64 valueRng(11);
  int compared = 0;
  for (int i = 0; i < 20000; ++i) {
    FormatSpec request = randomSpec(specRng, "feEgG", "-+ 0#", 40);
    request.size = specRng() % 4 == 0 ? 'l' : 0;
    const double value = randomDouble(valueRng);
    if (isExactTie(request, value)) continue;
    const std::string format = printfFormat(request);
    const std::string expected =
        widenExponent(request, cFormat(format, value), cFormat(printfFormat(request, false), value).size());
    ASSERT_EQ(ours(request, value), expected) << format << " of " << value;
    ++compared;
  }
  EXPECT_GT(compared, 15000);
}

TEST(StringFormatConversions, TextMatchesPrintf) {
  std::mt19937 rng(3);
  const char* samples[] = {"", "a", "hello", "with space", "0123456789abcdef"};
  for (int i = 0; i < 3000; ++i) {
    FormatSpec request = randomSpec(rng, "s", "-+ #", 20);
    const char* text = samples[rng() % 5];
    String out;
    const String units = String::fromAscii(text);
    formatText(request, units.data(), units.length(), out);
    const std::string format = printfFormat(request);
    ASSERT_EQ(out.toUtf8(), cFormat(format, text)) << format << " of " << text;
  }
}

// Where we follow the Windows runtime rather than printf.
TEST(StringFormatConversions, WindowsStyleResults) {
  struct Case {
    const char* format;
    double value;
    const char* expected;
  } cases[] = {
      {"e", 0.0, "0.000000e+000"},
      {"G", 1e300, "1E+300"},
      {"f", 0.5, "0.500000"},
      {".0f", 0.5, "1"},
      {".0f", 2.5, "3"},
      {".1f", 0.25, "0.3"},
      {".0e", 25.0, "3e+001"},
      {"8f", INFINITY, "  1.#INF"},
      {"+f", INFINITY, "+1.#INF"},
      {"08e", -INFINITY, " -1.#INF"},
      {"-9g", std::nan(""), "1.#QNAN  "},
  };
  for (const Case& c : cases) {
    FormatToken token;
    const String format = String::fromAscii((std::string("%") + c.format).c_str());
    ASSERT_TRUE(findFormatToken(format.data(), format.length(), 0, &token)) << c.format;
    String out;
    formatFloating(token.request, c.value, out);
    EXPECT_EQ(out.toUtf8(), c.expected) << c.format;
  }
  String out;
  FormatSpec zeroPadded;
  zeroPadded.flag = '0';
  zeroPadded.width = 5;
  zeroPadded.conversion = 's';
  formatText(zeroPadded, u"ab", 2, out);
  EXPECT_EQ(out.toUtf8(), "000ab");
}

TEST(StringFormatConversions, FieldIsCutAtTheLimit) {
  FormatSpec request;
  request.width = 100000;
  request.conversion = 'd';
  String out;
  formatInteger(request, 5, out);
  EXPECT_EQ(out.length(), kFormatFieldLimit);
  request.conversion = 'f';
  request.width = -1;
  request.precision = static_cast<int>(kFormatFieldLimit) + 1;
  String fixed;
  formatFloating(request, 1e308, fixed);
  ASSERT_EQ(fixed.length(), kFormatFieldLimit);
  EXPECT_EQ(fixed.substr(0, 4).toUtf8(), "1000");
}

}  // namespace
}  // namespace vx

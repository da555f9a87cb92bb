#include "values/string.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using vx::String;

namespace {

String u8(const std::string& utf8) { return String::fromUtf8(utf8.data(), utf8.size()); }

std::u16string units(const String& s) { return std::u16string(s.data(), s.length()); }

}  // namespace

TEST(StringValue, HoldsUnitsWithLengthAndTerminator) {
  const char16_t raw[] = {u'a', 0, u'b'};
  String s(raw, 3);
  EXPECT_EQ(s.length(), 3u);
  EXPECT_EQ(units(s), std::u16string(raw, 3));
  EXPECT_EQ(s.data()[3], 0);

  String empty;
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(empty.data()[0], 0);
  EXPECT_EQ(empty.refCount(), 0u);
  EXPECT_TRUE(String(u"", 0).empty());
  EXPECT_EQ(String(u"abc").length(), 3u);
  EXPECT_EQ(units(String::fromAscii("hi\tx")), u"hi\tx");
  EXPECT_EQ(units(String::fromAscii("abcdef", 3)), u"abc");
}

// Every mutating member must unshare first; a copy must never see the change.
TEST(StringValue, MutationOfACopyLeavesTheOriginal) {
  const std::vector<std::pair<const char*, std::function<void(String&)>>> mutations = {
      {"append String", [](String& s) { s.append(String::fromAscii("!")); }},
      {"append units", [](String& s) { s.append(u"!", 1); }},
      {"append unit", [](String& s) { s.append(u'!'); }},
      {"appendAscii", [](String& s) { s.appendAscii("!"); }},
      {"resize longer", [](String& s) { s.resize(9); }},
      {"resize shorter", [](String& s) { s.resize(2); }},
      {"mutableData", [](String& s) { s.mutableData()[0] = u'X'; }},
      {"reserve", [](String& s) { s.reserve(100); s.mutableData()[0] = u'X'; }},
      {"clear", [](String& s) { s.clear(); }},
  };
  for (const auto& m : mutations) {
    String original = String::fromAscii("hello");
    String copy = original;
    EXPECT_TRUE(copy.sharesBufferWith(original)) << m.first;
    EXPECT_EQ(original.refCount(), 2u) << m.first;
    m.second(copy);
    EXPECT_EQ(units(original), u"hello") << m.first;
    EXPECT_FALSE(copy.sharesBufferWith(original)) << m.first;
    EXPECT_EQ(original.refCount(), 1u) << m.first;
  }
}

TEST(StringValue, AssignmentAndMoveKeepCountsRight) {
  String a = String::fromAscii("abc");
  String b;
  b = a;
  EXPECT_EQ(a.refCount(), 2u);
  b = b;  // self-assignment must not free the block
  EXPECT_EQ(units(b), u"abc");
  String c = std::move(b);
  EXPECT_TRUE(b.empty());
  EXPECT_EQ(a.refCount(), 2u);
  c = String();
  EXPECT_EQ(a.refCount(), 1u);
}

TEST(StringValue, AppendingToTheOnlyOwnerGrowsGeometrically) {
  String s;
  size_t capacityChanges = 0;
  size_t lastCapacity = s.capacity();
  for (int i = 0; i < 100000; ++i) {
    s.append(static_cast<char16_t>(u'a' + i % 26));
    if (s.capacity() != lastCapacity) {
      ++capacityChanges;
      lastCapacity = s.capacity();
      EXPECT_EQ((s.capacity() + 1) % 8, 0u);  // capacity counts the terminator
    }
  }
  EXPECT_EQ(s.length(), 100000u);
  EXPECT_EQ(s[99999], static_cast<char16_t>(u'a' + 99999 % 26));
  EXPECT_EQ(s.data()[100000], 0);
  EXPECT_LT(capacityChanges, 40u);
}

TEST(StringValue, AppendFromItself) {
  String s = String::fromAscii("abcdefgh");
  s.append(s);
  EXPECT_EQ(units(s), u"abcdefghabcdefgh");
  // Units taken from our own buffer while it grows.
  String t = String::fromAscii("abcdefg");
  t.append(t.data() + 1, 3);
  EXPECT_EQ(units(t), u"abcdefgbcd");
  String shared = t;
  t.append(t.data(), t.length());
  EXPECT_EQ(units(t), u"abcdefgbcdabcdefgbcd");
  EXPECT_EQ(units(shared), u"abcdefgbcd");
}

TEST(StringValue, ResizePadsWithZeros) {
  String s = String::fromAscii("ab");
  s.resize(5);
  EXPECT_EQ(units(s), std::u16string(u"ab\0\0\0", 5));
  s.resize(1);
  EXPECT_EQ(units(s), u"a");
  EXPECT_EQ(s.data()[1], 0);
}

TEST(StringValue, Utf8RoundTrip) {
  const std::string texts[] = {"", "plain", "caf\xC3\xA9", "\xE2\x82\xAC 5", "\xF0\x9F\x98\x80!", std::string("a\0b", 3)};
  for (const std::string& text : texts) {
    bool ok = false;
    String s = String::fromUtf8(text.data(), text.size(), &ok);
    EXPECT_TRUE(ok) << text;
    EXPECT_EQ(s.toUtf8(), text);
  }
  EXPECT_EQ(units(u8("\xF0\x9F\x98\x80")), u"\xD83D\xDE00");
}

TEST(StringValue, Utf8DecoderIsStrict) {
  const std::string invalid[] = {
      "\xC0\xAF",          // overlong
      "\xE0\x80\xAF",      // overlong
      "\xED\xA0\x80",      // surrogate
      "\xF4\x90\x80\x80",  // above U+10FFFF
      "ab\xE2\x82",        // cut short
      "\x80",              // stray continuation
      "\xE2\x28\xA1",      // bad continuation
      "\xFF",
  };
  for (const std::string& text : invalid) {
    bool ok = true;
    String s = String::fromUtf8(text.data(), text.size(), &ok);
    EXPECT_FALSE(ok) << text;
    EXPECT_TRUE(s.empty());
  }
}

TEST(StringValue, LoneSurrogatesBecomeReplacementCharacters) {
  const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00};
  EXPECT_EQ(String(lone, 4).toUtf8(), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
}

TEST(StringValue, OrdinalComparison) {
  struct Case {
    std::u16string a, b;
    int expected;
  };
  const Case cases[] = {
      {u"", u"", 0},
      {u"a", u"b", -1},
      {u"ab", u"a", 1},
      {u"a", u"ab", -1},
      {u"B", u"a", -1},  // ordinal, not case-insensitive
      {std::u16string(u"a\0b", 3), u"a", 1},
      {u"\xFFFF", u"a", 1},  // units compare unsigned
      {u"same", u"same", 0},
  };
  for (const Case& c : cases) {
    String a(c.a.data(), c.a.size()), b(c.b.data(), c.b.size());
    EXPECT_EQ(a.compare(b), c.expected) << a.toUtf8() << " vs " << b.toUtf8();
    EXPECT_EQ(b.compare(a), -c.expected);
    EXPECT_EQ(a == b, c.expected == 0);
    EXPECT_EQ(a != b, c.expected != 0);
  }
  EXPECT_TRUE(String::fromAscii("Default").equalsAscii("Default"));
  EXPECT_FALSE(String::fromAscii("Default").equalsAscii("Defaul"));
  EXPECT_FALSE(String::fromAscii("Defaul").equalsAscii("Default"));
  EXPECT_TRUE(String().equalsAscii(""));
  const char16_t withZero[] = {u'a', 0};
  EXPECT_FALSE(String(withZero, 2).equalsAscii("a"));
}

TEST(StringValue, SubstrClamps) {
  String s = String::fromAscii("abcdef");
  EXPECT_EQ(units(s.substr(1, 3)), u"bcd");
  EXPECT_EQ(units(s.substr(4, 100)), u"ef");
  EXPECT_EQ(units(s.substr(6, 1)), u"");
  EXPECT_EQ(units(s.substr(100, 1)), u"");
  EXPECT_EQ(s.substr(2, 0).length(), 0u);
  EXPECT_TRUE(s.substr(0, SIZE_MAX).sharesBufferWith(s));
}

TEST(StringValue, UpperAsciiFoldsOnlyLatinLetters) {
  EXPECT_EQ(units(u8("abc_Z9 \xC3\xA9\xC3\x9F").upperAscii()), u"ABC_Z9 \x00E9\x00DF");
  String upper = String::fromAscii("ALREADY_UP");
  EXPECT_TRUE(upper.upperAscii().sharesBufferWith(upper));
  String lower = String::fromAscii("x");
  String folded = lower.upperAscii();
  EXPECT_EQ(units(lower), u"x");
  EXPECT_EQ(units(folded), u"X");
}

TEST(StringValue, AsciiSpace) {
  for (char16_t c : std::u16string(u" \t\n\v\f\r")) EXPECT_TRUE(vx::isAsciiSpace(c)) << int(c);
  for (char16_t c : std::u16string(u"a\x00A0\x2028\x0008\x000E")) EXPECT_FALSE(vx::isAsciiSpace(c)) << int(c);
}

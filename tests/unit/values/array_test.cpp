#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "values/variant.h"

using vx::String;
using vx::Variant;
using vx::VType;

namespace {

Variant dimensioned(std::initializer_list<uint32_t> sizes) {
  std::vector<uint32_t> s(sizes);
  Variant v;
  EXPECT_TRUE(v.dimension(s.data(), static_cast<int>(s.size())));
  return v;
}

Variant* at(Variant& a, std::initializer_list<uint32_t> subscripts, bool forWriting = true) {
  std::vector<uint32_t> s(subscripts);
  return a.element(s.data(), static_cast<int>(s.size()), forWriting);
}

std::string textAt(Variant& a, std::initializer_list<uint32_t> subscripts) {
  Variant* e = at(a, subscripts, false);
  return e ? e->stringForm().toUtf8() : "<none>";
}

VType slotType(const Variant& a, uint32_t index) { return a.array()->slots[index].type(); }

}  // namespace

TEST(ArrayValue, DimensionsAndRowMajorSlots) {
  Variant a = dimensioned({3, 4});
  EXPECT_TRUE(a.isArray());
  EXPECT_EQ(a.elementCount(), 12u);
  EXPECT_EQ(a.dimensionCount(), 2);
  EXPECT_EQ(a.dimensionSize(0), 3u);
  EXPECT_EQ(a.dimensionSize(1), 4u);
  EXPECT_EQ(a.dimensionSize(2), 0u);
  EXPECT_EQ(a.dimensionSize(-1), 0u);

  at(a, {1, 2})->setInt32(42);
  EXPECT_EQ(a.elementAtLinear(6, false)->int32Value(), 42);
  at(a, {2, 3})->setInt32(7);
  EXPECT_EQ(a.elementAtLinear(11, false)->int32Value(), 7);
  EXPECT_EQ(a.elementAtLinear(12, false), nullptr);

  Variant cube = dimensioned({2, 3, 4});
  at(cube, {1, 2, 3})->setInt32(1);
  EXPECT_EQ(slotType(cube, 1 * 12 + 2 * 4 + 3), VType::Int32);
}

TEST(ArrayValue, UntouchedElementsReadAsEmptyStrings) {
  Variant a = dimensioned({5});
  EXPECT_EQ(slotType(a, 2), VType::Empty);
  Variant* e = at(a, {2}, false);
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->isString());
  EXPECT_TRUE(e->asString().empty());
  EXPECT_FALSE(e->isNumber());
  EXPECT_TRUE(a.elementAtLinear(3, false)->isString());
  EXPECT_EQ(slotType(a, 4), VType::Empty);  // only touched slots change
}

TEST(ArrayValue, InvalidSubscriptsGiveNothing) {
  Variant a = dimensioned({3, 4});
  EXPECT_EQ(at(a, {3, 0}), nullptr);
  EXPECT_EQ(at(a, {0, 4}), nullptr);
  EXPECT_EQ(at(a, {0xFFFFFFFFu, 0}), nullptr);
  EXPECT_EQ(at(a, {1}), nullptr);
  EXPECT_EQ(at(a, {1, 1, 0}), nullptr);
  EXPECT_NE(at(a, {2, 3}), nullptr);

  Variant notArray = Variant::fromString(String::fromAscii("abc"));
  EXPECT_EQ(at(notArray, {0}), nullptr);
  EXPECT_EQ(notArray.elementAtLinear(0, false), nullptr);
  EXPECT_EQ(notArray.dimensionCount(), 0);
  EXPECT_EQ(notArray.elementCount(), 0u);

  Variant empty;
  empty.makeEmptyArray();
  EXPECT_TRUE(empty.isArray());
  EXPECT_EQ(empty.dimensionCount(), 0);
  EXPECT_EQ(empty.elementCount(), 0u);
  EXPECT_EQ(empty.element(nullptr, 0, true), nullptr);
  EXPECT_EQ(empty.elementAtLinear(0, true), nullptr);
}

TEST(ArrayValue, SizeLimits) {
  struct Case {
    const char* label;
    std::vector<uint32_t> sizes;
    bool ok;
  };
  const Case cases[] = {
      {"4096 x 4096", {4096, 4096}, true},
      {"4097 x 4096", {4097, 4096}, false},
      {"one too many", {16777217}, false},
      {"wraps to 0 in 32 bits", {65536, 65536}, false},
      {"wraps to 2 in 32 bits", {0x80000001u, 2}, false},
      {"wraps late", {2, 2, 0x40000000u, 4, 1}, false},
      {"64 dimensions", std::vector<uint32_t>(64, 1), true},
      {"65 dimensions", std::vector<uint32_t>(65, 1), false},
      {"no dimensions", {}, false},
  };
  for (const Case& c : cases) {
    Variant v = Variant::fromString(String::fromAscii("before"));
    EXPECT_EQ(v.dimension(c.sizes.data(), static_cast<int>(c.sizes.size())), c.ok) << c.label;
    if (!c.ok) {
      EXPECT_EQ(v.stringForm().toUtf8(), "before") << c.label;  // unchanged on failure
    }
  }
  // The largest array costs nothing until touched, and its last slot works.
  Variant big = dimensioned({4096, 4096});
  at(big, {4095, 4095})->setInt32(1);
  EXPECT_EQ(big.elementAtLinear(16777215, false)->int32Value(), 1);
}

TEST(ArrayValue, CopiesShareStorageUntilOneSideWrites) {
  Variant a = dimensioned({4});
  at(a, {0})->setString(String::fromAscii("zero"));
  at(a, {1})->setInt32(1);

  Variant b = a;
  EXPECT_EQ(b.array(), a.array());
  EXPECT_EQ(a.array()->refs, 2u);
  at(b, {2}, false);  // reading never unshares
  EXPECT_EQ(b.array(), a.array());

  at(b, {1})->setInt32(100);
  EXPECT_NE(b.array(), a.array());
  EXPECT_EQ(a.array()->refs, 1u);
  EXPECT_EQ(at(a, {1}, false)->int32Value(), 1);
  EXPECT_EQ(at(b, {1}, false)->int32Value(), 100);
  // The copy took the touched elements (strings still share their text) and
  // left untouched slots untouched.
  EXPECT_TRUE(at(b, {0}, false)->asString().sharesBufferWith(at(a, {0}, false)->asString()));
  EXPECT_EQ(slotType(b, 3), VType::Empty);

  Variant c = a;
  c.clear();  // releasing one sharer leaves the other intact
  EXPECT_EQ(textAt(a, {0}), "zero");
}

TEST(ArrayValue, NestedArraysStayIndependent) {
  Variant inner = dimensioned({2});
  at(inner, {0})->setInt32(1);
  Variant outer = dimensioned({1});
  *at(outer, {0}) = inner;

  Variant copy = outer;
  at(*at(copy, {0}), {0})->setInt32(2);
  EXPECT_EQ(textAt(*at(outer, {0}, false), {0}), "1");
  EXPECT_EQ(textAt(*at(copy, {0}, false), {0}), "2");
  EXPECT_EQ(textAt(inner, {0}), "1");
}

TEST(ArrayValue, RedimensioningReplacesTheStorage) {
  Variant a = dimensioned({3});
  at(a, {0})->setInt32(5);
  Variant shared = a;
  uint32_t sizes[] = {2, 2};
  ASSERT_TRUE(a.dimension(sizes, 2));
  EXPECT_EQ(a.dimensionCount(), 2);
  EXPECT_TRUE(at(a, {0, 0}, false)->asString().empty());
  EXPECT_EQ(textAt(shared, {0}), "5");
}

TEST(ArrayValue, CopyKeptContents) {
  struct Case {
    const char* label;
    std::vector<uint32_t> from, to;
    std::vector<std::vector<uint32_t>> kept;  // subscripts that keep their value
  };
  const Case cases[] = {
      {"grow [3] to [5]", {3}, {5}, {{0}, {1}, {2}}},
      {"shrink [5] to [2]", {5}, {2}, {{0}, {1}}},
      {"[2][3] to [3][2]", {2, 3}, {3, 2}, {{0, 0}, {0, 1}, {1, 0}, {1, 1}}},
      {"[2][2] to [3]", {2, 2}, {3}, {}},
  };
  for (const Case& c : cases) {
    Variant old;
    ASSERT_TRUE(old.dimension(c.from.data(), static_cast<int>(c.from.size())));
    for (uint32_t i = 0; i < old.elementCount(); ++i) old.elementAtLinear(i, true)->setInt32(static_cast<int32_t>(i + 1));
    Variant fresh;
    ASSERT_TRUE(fresh.dimension(c.to.data(), static_cast<int>(c.to.size())));
    Variant::copyKeptContents(fresh, old);

    uint32_t touched = 0;
    for (uint32_t i = 0; i < fresh.elementCount(); ++i) touched += slotType(fresh, i) != VType::Empty;
    EXPECT_EQ(touched, c.kept.size()) << c.label;
    for (const std::vector<uint32_t>& s : c.kept) {
      Variant* from = old.element(s.data(), static_cast<int>(s.size()), false);
      Variant* to = fresh.element(s.data(), static_cast<int>(s.size()), false);
      ASSERT_TRUE(from && to) << c.label;
      EXPECT_EQ(to->int32Value(), from->int32Value()) << c.label;
    }
  }
}

TEST(ArrayValue, CopyKeptContentsSkipsUntouchedAndRespectsSharing) {
  Variant old = dimensioned({3});
  at(old, {1})->setString(String::fromAscii("one"));
  Variant fresh = dimensioned({4});
  Variant sharer = fresh;
  Variant::copyKeptContents(fresh, old);
  EXPECT_EQ(slotType(fresh, 0), VType::Empty);
  EXPECT_EQ(textAt(fresh, {1}), "one");
  EXPECT_EQ(slotType(sharer, 1), VType::Empty);  // the other copy of the new array is untouched
  at(fresh, {1})->mutableString().appendAscii("!");
  EXPECT_EQ(textAt(old, {1}), "one");
}

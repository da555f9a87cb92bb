#include "values/variant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

using vx::OwnedPayload;
using vx::String;
using vx::Variant;
using vx::VType;

namespace {

// Counts its live instances through a counter the test owns.
class CountedPayload : public OwnedPayload {
 public:
  CountedPayload(int* live, int size, bool clonable) : live_(live), size_(size), clonable_(clonable) { ++*live_; }
  ~CountedPayload() override { --*live_; }
  std::unique_ptr<OwnedPayload> clone() const override {
    if (!clonable_) return nullptr;
    return std::make_unique<CountedPayload>(live_, size_, clonable_);
  }
  int32_t byteSize() const override { return size_; }

 private:
  int* live_;
  int size_;
  bool clonable_;
};

Variant counted(VType type, int* live, int size = 0, bool clonable = true) {
  Variant v;
  v.setOwned(type, std::make_unique<CountedPayload>(live, size, clonable));
  return v;
}

Variant str(const char* ascii) { return Variant::fromString(String::fromAscii(ascii)); }

Variant oneElementArray(Variant element) {
  Variant a;
  uint32_t size = 1, index = 0;
  a.dimension(&size, 1);
  *a.element(&index, 1, true) = std::move(element);
  return a;
}

}  // namespace

TEST(VariantLifecycle, NewAndClearedValuesAreInt32Zero) {
  int live = 0;
  unsigned char b[] = {1};
  std::vector<Variant> values;
  values.push_back(Variant());
  values.push_back(str("x"));
  values.push_back(Variant::fromDouble(1.5));
  values.push_back(Variant::fromBinary(b, 1));
  values.push_back(oneElementArray(str("y")));
  values.push_back(counted(VType::Object, &live));
  values.push_back(Variant::makeDefault());
  values.push_back(Variant::fromPtr(5));
  for (Variant& v : values) {
    v.stringForm();
    v.clear();
    EXPECT_TRUE(v.isInt32());
    EXPECT_EQ(v.int32Value(), 0);
    EXPECT_EQ(v.stringForm().toUtf8(), "0");
  }
  EXPECT_EQ(live, 0);
}

TEST(VariantLifecycle, StringCopiesShareUntilChanged) {
  Variant a = str("hello");
  Variant b = a;
  EXPECT_TRUE(b.asString().sharesBufferWith(a.asString()));
  b.mutableString().appendAscii(" world");
  EXPECT_EQ(a.asString().toUtf8(), "hello");
  EXPECT_EQ(b.asString().toUtf8(), "hello world");
  Variant c;
  c = a;
  c.setString(String::fromAscii("other"));
  EXPECT_EQ(a.asString().toUtf8(), "hello");
}

TEST(VariantLifecycle, MoveLeavesInt32Zero) {
  Variant a = str("moved");
  Variant b = std::move(a);
  EXPECT_TRUE(a.isInt32());
  EXPECT_EQ(b.asString().toUtf8(), "moved");
  Variant c;
  c = std::move(b);
  EXPECT_TRUE(b.isInt32());
  EXPECT_EQ(c.asString().toUtf8(), "moved");
}

TEST(VariantLifecycle, SelfAssignmentKeepsTheValue) {
  int live = 0;
  unsigned char b[] = {7, 8};
  Variant values[] = {str("same"), Variant::fromBinary(b, 2), oneElementArray(str("e")),
                      counted(VType::DllStruct, &live, 4)};
  for (Variant& v : values) {
    std::string before = v.stringForm().toUtf8();
    VType type = v.type();
    Variant& alias = v;
    v = alias;
    v = std::move(alias);
    EXPECT_EQ(v.type(), type);
    EXPECT_EQ(v.stringForm().toUtf8(), before);
  }
  EXPECT_EQ(values[2].elementCount(), 1u);
  EXPECT_EQ(values[3].byteSize(), 4);
  EXPECT_EQ(live, 1);
}

// $a = $a[0]: the source lives inside the storage the assignment releases.
TEST(VariantLifecycle, AssigningAnElementToItsOwnArray) {
  uint32_t index = 0;
  Variant a = oneElementArray(str("inner text"));
  a = *a.element(&index, 1, false);
  EXPECT_EQ(a.asString().toUtf8(), "inner text");

  Variant nested = oneElementArray(oneElementArray(str("deep")));
  nested = *nested.element(&index, 1, false);
  ASSERT_TRUE(nested.isArray());
  EXPECT_EQ(nested.element(&index, 1, false)->asString().toUtf8(), "deep");

  Variant moved = oneElementArray(str("moved"));
  moved = std::move(*moved.element(&index, 1, true));
  EXPECT_EQ(moved.asString().toUtf8(), "moved");
}

TEST(VariantLifecycle, OwnedPayloadsAreClonedAndDestroyed) {
  int live = 0;
  {
    Variant a = counted(VType::Object, &live);
    EXPECT_EQ(live, 1);
    Variant b = a;
    EXPECT_EQ(live, 2);
    EXPECT_NE(a.owned(), b.owned());
    Variant c;
    c = b;
    EXPECT_EQ(live, 3);
    c = Variant::fromInt32(1);
    EXPECT_EQ(live, 2);
    b.setString(String::fromAscii("x"));
    EXPECT_EQ(live, 1);
    Variant d = std::move(a);  // moves never clone
    EXPECT_EQ(live, 1);
    EXPECT_EQ(a.owned(), nullptr);
    Variant inArray = oneElementArray(d);
    EXPECT_EQ(live, 2);
  }
  EXPECT_EQ(live, 0);

  Variant s = counted(VType::DllStruct, &live, 12);
  EXPECT_EQ(s.byteSize(), 12);
  Variant copy = s;
  EXPECT_EQ(copy.byteSize(), 12);
  EXPECT_TRUE(copy.isDllStruct());
  s.clear();
  copy.clear();
  EXPECT_EQ(live, 0);
}

TEST(VariantLifecycle, FailedCloneGivesAnEmptyObject) {
  int live = 0;
  Variant a = counted(VType::Object, &live, 0, false);
  Variant b = a;
  EXPECT_TRUE(b.isObject());
  EXPECT_EQ(b.owned(), nullptr);
  EXPECT_NE(a.owned(), nullptr);
  EXPECT_EQ(live, 1);
  Variant c = b;  // copying a value holding nothing
  EXPECT_EQ(c.owned(), nullptr);
  Variant none;
  none.setOwned(VType::DllStruct, nullptr);
  EXPECT_EQ(none.byteSize(), 0);
}

TEST(VariantLifecycle, BinaryCopiesOwnTheirBytes) {
  unsigned char b[] = {1, 2, 3};
  Variant a = Variant::fromBinary(b, 3);
  Variant copy = a;
  EXPECT_NE(copy.binary(), a.binary());
  copy.mutableBinary()->bytes[0] = 9;
  EXPECT_EQ(a.binary()->bytes[0], 1);
  EXPECT_EQ(copy.binary()->bytes[0], 9);
  b[1] = 0;
  EXPECT_EQ(a.binary()->bytes[1], 2);  // the source buffer was copied too

  Variant zeros = Variant::zeroBinary(5);
  ASSERT_EQ(zeros.binary()->length, 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(zeros.binary()->bytes[i], 0);
  Variant none = Variant::zeroBinary(0);
  Variant noneCopy = none;
  EXPECT_EQ(noneCopy.binary()->length, 0u);
  EXPECT_FALSE(noneCopy.truth());
  EXPECT_EQ(Variant::fromInt32(1).mutableBinary(), nullptr);
}

TEST(VariantLifecycle, ReferencesAndAccessorsMatchTheType) {
  Variant target = Variant::fromInt32(5);
  Variant ref = Variant::fromReference(&target);
  EXPECT_EQ(ref.reference(), &target);
  Variant copy = ref;
  EXPECT_EQ(copy.reference(), &target);
  ref.clear();
  EXPECT_EQ(target.int32Value(), 5);  // a reference does not own its target

  Variant number = Variant::fromInt32(1);
  EXPECT_EQ(number.reference(), nullptr);
  EXPECT_EQ(number.binary(), nullptr);
  EXPECT_EQ(number.owned(), nullptr);
  EXPECT_EQ(number.keyword(), nullptr);
  EXPECT_EQ(number.array(), nullptr);
  EXPECT_TRUE(number.isNumber());
  EXPECT_TRUE(Variant::fromDouble(1).isNumber());
  EXPECT_TRUE(Variant::fromInt64(1).isNumber());
  EXPECT_FALSE(str("1").isNumber());
}

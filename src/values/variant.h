// Variant: the one value type of the script language.
//
// Invariants:
// - Layout is an 8-byte payload, the type code, then text_: 24 bytes on 64-bit
//   targets, 16 on 32-bit ones. The all-zero bit pattern is VType::Empty with
//   no text, so calloc'ed memory is a valid array of untouched slots.
// - Empty marks an untouched array slot only; every access through the array
//   API turns it into the String "" before handing it out. A new or cleared
//   Variant is Int32 0.
// - For String, text_ is the value. For every other type text_ is the cached
//   string form or empty; it is never copied and every change drops it. An
//   empty cache just means "not computed", which is harmless: the types whose
//   form is empty compute it for free.
// - Array, Object, Binary and DllStruct own their payload. Array storage is
//   shared between copies through its refs count and unshared by the first
//   write; Binary blocks are copied byte for byte; Object and DllStruct are
//   cloned through OwnedPayload. Reference does not own the Variant it points
//   to; Keyword points at a constant record.
// - Assignment copies or moves the source before releasing the target, so
//   assigning an element of an array to the array itself is safe.
// - Used by the main thread only: no counter is atomic.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "values/string.h"

namespace vx {

enum class VType : int32_t {
  Empty = 0,  // internal: an untouched array slot only
  Int32 = 1,
  Int64 = 2,
  Double = 3,
  String = 4,
  Array = 5,
  Reference = 6,
  Ptr = 7,
  Object = 8,
  Bool = 9,
  Keyword = 10,
  Binary = 11,
  DllStruct = 12,
};

// The payload of Object and DllStruct values; their families define it.
struct OwnedPayload {
  virtual ~OwnedPayload() = default;
  // May return null when the copy cannot be made; the copy then holds nothing.
  virtual std::unique_ptr<OwnedPayload> clone() const = 0;
  virtual int32_t byteSize() const { return 0; }
};

struct KeywordRecord {
  int32_t keywordIndex;
  int32_t number;
  const char16_t* name;
};

// The only keyword value the language creates.
extern const KeywordRecord kDefaultKeyword;

// Always owns at least one byte, so a zero-length block is a real block.
struct BinaryBlock {
  uint32_t length;
  unsigned char bytes[];
};

constexpr int kMaxArrayDimensions = 64;
constexpr uint32_t kMaxArrayElements = 16777216;

class Variant;

// Element storage of an array, shared by every Variant that copied it.
// slots are calloc'ed: untouched slots are Empty and cost no written memory.
// Elements are in row-major order (the last subscript varies fastest).
struct ArrayStorage {
  uint32_t refs;
  uint32_t elementCount;
  int32_t dimensionCount;
  uint32_t sizes[kMaxArrayDimensions];
  Variant* slots;
};

class Variant {
 public:
  Variant() noexcept : type_(VType::Int32) { payload_.i64 = 0; }
  Variant(const Variant& other) : payload_(other.payload_), type_(other.type_) {
    if (type_ == VType::String) text_ = other.text_;
    else if (ownsPayload(type_)) copyPayloadFrom(other);
  }
  Variant(Variant&& other) noexcept : payload_(other.payload_), type_(other.type_), text_(std::move(other.text_)) {
    other.payload_.i64 = 0;
    other.type_ = VType::Int32;
  }
  Variant& operator=(const Variant& other) {
    if (this == &other) return *this;
    if (ownsPayload(type_) || ownsPayload(other.type_)) return assignSlow(other);
    payload_ = other.payload_;
    type_ = other.type_;
    if (type_ == VType::String) text_ = other.text_;
    else text_.clear();
    return *this;
  }
  Variant& operator=(Variant&& other) noexcept {
    if (this == &other) return *this;
    // Take the source first: it may live inside the storage released below.
    Payload payload = other.payload_;
    VType type = other.type_;
    vx::String text(std::move(other.text_));
    other.payload_.i64 = 0;
    other.type_ = VType::Int32;
    if (ownsPayload(type_)) releasePayload();
    payload_ = payload;
    type_ = type;
    text_ = std::move(text);
    return *this;
  }
  ~Variant() {
    if (ownsPayload(type_)) releasePayload();
  }

  static Variant fromInt32(int32_t v) { Variant r; r.payload_.i32 = v; return r; }
  static Variant fromInt64(int64_t v) { Variant r; r.payload_.i64 = v; r.type_ = VType::Int64; return r; }
  static Variant fromDouble(double v) { Variant r; r.payload_.d = v; r.type_ = VType::Double; return r; }
  static Variant fromBool(bool v) { Variant r; r.payload_.b = v; r.type_ = VType::Bool; return r; }
  static Variant fromPtr(uintptr_t v) { Variant r; r.payload_.ptr = v; r.type_ = VType::Ptr; return r; }
  static Variant fromString(vx::String s) { Variant r; r.setString(std::move(s)); return r; }
  static Variant fromBinary(const void* bytes, size_t n) { Variant r; r.setBinary(bytes, n); return r; }
  static Variant zeroBinary(size_t n) { Variant r; r.setZeroBinary(n); return r; }
  static Variant makeDefault() { Variant r; r.setKeyword(&kDefaultKeyword); return r; }
  static Variant fromReference(Variant* target) { Variant r; r.setReference(target); return r; }

  void setInt32(int32_t v) { reset(VType::Int32); payload_.i32 = v; }
  void setInt64(int64_t v) { reset(VType::Int64); payload_.i64 = v; }
  void setDouble(double v) { reset(VType::Double); payload_.d = v; }
  void setBool(bool v) { reset(VType::Bool); payload_.b = v; }
  void setPtr(uintptr_t v) { reset(VType::Ptr); payload_.ptr = v; }
  void setReference(Variant* target) { reset(VType::Reference); payload_.ref = target; }
  void setKeyword(const KeywordRecord* record) { reset(VType::Keyword); payload_.keyword = record; }
  void setDefault() { setKeyword(&kDefaultKeyword); }
  void setString(vx::String s) {
    if (ownsPayload(type_)) releasePayload();
    payload_.i64 = 0;
    type_ = VType::String;
    text_ = std::move(s);
  }
  void setBinary(const void* bytes, size_t n);
  void setZeroBinary(size_t n);
  // type must be Object or DllStruct; a null payload is a value holding nothing.
  void setOwned(VType type, std::unique_ptr<OwnedPayload> payload);

  void clear() { reset(VType::Int32); }

  VType type() const { return type_; }
  bool isInt32() const { return type_ == VType::Int32; }
  bool isInt64() const { return type_ == VType::Int64; }
  bool isDouble() const { return type_ == VType::Double; }
  bool isString() const { return type_ == VType::String; }
  bool isArray() const { return type_ == VType::Array; }
  bool isReference() const { return type_ == VType::Reference; }
  bool isPtr() const { return type_ == VType::Ptr; }
  bool isObject() const { return type_ == VType::Object; }
  bool isBool() const { return type_ == VType::Bool; }
  bool isKeyword() const { return type_ == VType::Keyword; }
  bool isBinary() const { return type_ == VType::Binary; }
  bool isDllStruct() const { return type_ == VType::DllStruct; }
  bool isNumber() const { return type_ == VType::Int32 || type_ == VType::Int64 || type_ == VType::Double; }
  bool isDefault() const;

  int32_t toInt32() const { return type_ == VType::Int32 ? payload_.i32 : toInt32Slow(); }
  int64_t toInt64() const { return type_ == VType::Int64 ? payload_.i64 : toInt64Slow(); }
  double toDouble() const { return type_ == VType::Double ? payload_.d : toDoubleSlow(); }
  bool truth() const { return type_ == VType::Int32 ? payload_.i32 != 0 : truthSlow(); }

  // Valid until the value changes.
  const vx::String& stringForm() const {
    if (type_ != VType::String && text_.empty()) computeStringForm();
    return text_;
  }

  // Preconditions: the type matches.
  const vx::String& asString() const {
    assert(isString());
    return text_;
  }
  // For appending in place to a String value (amortised constant time).
  vx::String& mutableString() {
    assert(isString());
    return text_;
  }
  int32_t int32Value() const { return payload_.i32; }
  int64_t int64Value() const { return payload_.i64; }
  double doubleValue() const { return payload_.d; }
  bool boolValue() const { return payload_.b; }
  uintptr_t ptrValue() const { return payload_.ptr; }

  // The payload when the type matches, null otherwise.
  Variant* reference() const { return isReference() ? payload_.ref : nullptr; }
  const KeywordRecord* keyword() const { return isKeyword() ? payload_.keyword : nullptr; }
  const BinaryBlock* binary() const { return isBinary() ? payload_.binary : nullptr; }
  BinaryBlock* mutableBinary();  // drops the cached text
  OwnedPayload* owned() const { return isObject() || isDllStruct() ? payload_.owned : nullptr; }
  const ArrayStorage* array() const { return isArray() ? payload_.array : nullptr; }

  int32_t byteSize() const;
  const char* typeName() const;

  // Arrays. dimension() fails (leaving the value unchanged) for a count outside
  // 1..64, more than 16,777,216 elements or when memory runs out.
  bool dimension(const uint32_t* sizes, int count);
  void makeEmptyArray();
  int dimensionCount() const { return isArray() ? payload_.array->dimensionCount : 0; }
  uint32_t dimensionSize(int d) const;
  uint32_t elementCount() const { return isArray() ? payload_.array->elementCount : 0; }
  // Null for a wrong subscript count or a subscript out of range. Writing
  // unshares the storage first; an untouched slot becomes "" even on reads.
  Variant* element(const uint32_t* subscripts, int count, bool forWriting);
  Variant* elementAtLinear(uint32_t index, bool forWriting);
  // Copies the elements whose subscripts are valid in both arrays, when both
  // have the same non-zero number of dimensions.
  static void copyKeptContents(Variant& newArray, const Variant& oldArray);

 private:
  union Payload {
    int32_t i32;
    int64_t i64;
    double d;
    uintptr_t ptr;
    bool b;
    ArrayStorage* array;
    Variant* ref;
    const KeywordRecord* keyword;
    BinaryBlock* binary;
    OwnedPayload* owned;
  };

  static constexpr bool ownsPayload(VType t) {
    return t == VType::Array || t == VType::Object || t == VType::Binary || t == VType::DllStruct;
  }
  void reset(VType type) {
    if (ownsPayload(type_)) releasePayload();
    payload_.i64 = 0;
    type_ = type;
    text_.clear();
  }

  void copyPayloadFrom(const Variant& other);
  void releasePayload();
  Variant& assignSlow(const Variant& other);
  int32_t toInt32Slow() const;
  int64_t toInt64Slow() const;
  double toDoubleSlow() const;
  bool truthSlow() const;
  void computeStringForm() const;
  ArrayStorage* writableArray();

  Payload payload_;
  VType type_;
  mutable vx::String text_;
};

static_assert(sizeof(Variant) == (sizeof(void*) == 8 ? 24 : 16), "Variant layout changed");

}  // namespace vx

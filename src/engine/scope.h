// A variable table: name id to binding. Bindings own their value, or alias
// one that lives elsewhere (a ByRef argument, a static cell). Values never
// move once created, so aliases and references into them stay valid for the
// binding's life.
//
// An array element passed ByRef is different: its array may be replaced or
// resized while the call runs, so such an alias keeps the way to the element
// (the owning variable and the subscripts) and is pointed at it again at each
// use; an element that no longer exists is a detached cell of its own.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "values/variant.h"

namespace vx {

enum BindingFlag : uint8_t {
  kConst = 1,
  kParameter = 2,
  kStatic = 4,
  kAlias = 8,
  kElementAlias = 16,
};

struct Binding {
  int32_t name = -1;  // -1: free slot
  uint8_t flags = 0;
  Variant* value = nullptr;
};

class Scope;

// Where an element alias finds its element: the variable `owner` of
// `ownerScope`, subscripted.
struct ElementPath {
  Scope* ownerScope = nullptr;
  int32_t owner = -1;
  std::vector<uint32_t> subscripts;
};

class Scope {
 public:
  Scope() { slots_.resize(16); }

  Binding* find(int32_t name) {
    size_t mask = slots_.size() - 1;
    for (size_t i = static_cast<size_t>(name) & mask;; i = (i + 1) & mask) {
      Binding& b = slots_[i];
      if (b.name == name) return &b;
      if (b.name < 0) return nullptr;
    }
  }

  // A new owned binding holding `initial`; the name must not be bound yet.
  Binding* create(int32_t name, uint8_t flags, const Variant& initial);
  Binding* createAlias(int32_t name, uint8_t flags, Variant* target);
  // An alias of an array element, pointed at `current` until its next use.
  Binding* createElementAlias(int32_t name, uint8_t flags, ElementPath path, Variant* current);
  // Points an element alias at its element as it is now.
  void locateElement(Binding& alias);

  // Drops every binding; owned values are freed, aliased ones untouched.
  void clear();
  bool empty() const { return count_ == 0; }

 private:
  Binding* insert(int32_t name);

  std::vector<Binding> slots_;  // open addressing; size a power of two
  std::vector<uint32_t> used_;  // occupied slots, so clearing a small scope is cheap
  size_t count_ = 0;
  std::deque<Variant> values_;  // stable addresses for owned values

  struct ElementAlias {
    int32_t name;
    ElementPath path;
    Variant detached;  // what the alias means once its element is gone
  };
  // Made on first use (few scopes have one); a deque, since bindings point
  // at its detached cells.
  std::unique_ptr<std::deque<ElementAlias>> elementAliases_;
};

}  // namespace vx

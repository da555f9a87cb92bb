// A variable table: name id to binding. Bindings own their value, or alias
// one that lives elsewhere (a ByRef argument, a static cell). Values never
// move once created, so aliases and references into them stay valid for the
// binding's life.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "values/variant.h"

namespace vx {

enum BindingFlag : uint8_t {
  kConst = 1,
  kParameter = 2,
  kStatic = 4,
  kAlias = 8,
};

struct Binding {
  int32_t name = -1;  // -1: free slot
  uint8_t flags = 0;
  Variant* value = nullptr;
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

  // Drops every binding; owned values are freed, aliased ones untouched.
  void clear();
  bool empty() const { return count_ == 0; }

 private:
  Binding* insert(int32_t name);

  std::vector<Binding> slots_;  // open addressing; size a power of two
  std::vector<uint32_t> used_;  // occupied slots, so clearing a small scope is cheap
  size_t count_ = 0;
  std::deque<Variant> values_;  // stable addresses for owned values
};

}  // namespace vx

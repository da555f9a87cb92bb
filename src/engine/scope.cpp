#include "engine/scope.h"

namespace vx {

Binding* Scope::insert(int32_t name) {
  if ((count_ + 1) * 2 > slots_.size()) {
    std::vector<Binding> old;
    old.swap(slots_);
    slots_.resize(old.size() * 2);
    used_.clear();
    size_t mask = slots_.size() - 1;
    for (const Binding& b : old) {
      if (b.name < 0) continue;
      size_t i = static_cast<size_t>(b.name) & mask;
      while (slots_[i].name >= 0) i = (i + 1) & mask;
      slots_[i] = b;
      used_.push_back(static_cast<uint32_t>(i));
    }
  }
  size_t mask = slots_.size() - 1;
  size_t i = static_cast<size_t>(name) & mask;
  while (slots_[i].name >= 0) i = (i + 1) & mask;
  ++count_;
  slots_[i].name = name;
  used_.push_back(static_cast<uint32_t>(i));
  return &slots_[i];
}

Binding* Scope::create(int32_t name, uint8_t flags, const Variant& initial) {
  values_.push_back(initial);
  Variant* value = &values_.back();
  Binding* b = insert(name);
  b->flags = flags;
  b->value = value;
  return b;
}

Binding* Scope::createAlias(int32_t name, uint8_t flags, Variant* target) {
  Binding* b = insert(name);
  b->flags = static_cast<uint8_t>(flags | kAlias);
  b->value = target;
  return b;
}

void Scope::clear() {
  if (count_ == 0) return;
  for (uint32_t i : used_) slots_[i] = Binding();
  used_.clear();
  count_ = 0;
  values_.clear();
}

}  // namespace vx

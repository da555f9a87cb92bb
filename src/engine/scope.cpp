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

Binding* Scope::createElementAlias(int32_t name, uint8_t flags, ElementPath path, Variant* current) {
  if (!elementAliases_) elementAliases_ = std::make_unique<std::deque<ElementAlias>>();
  elementAliases_->push_back({name, std::move(path), Variant()});
  Binding* b = insert(name);
  b->flags = static_cast<uint8_t>(flags | kAlias | kElementAlias);
  b->value = current;
  return b;
}

void Scope::locateElement(Binding& alias) {
  if (!elementAliases_) return;
  ElementAlias* entry = nullptr;
  for (ElementAlias& e : *elementAliases_) {
    if (e.name == alias.name) entry = &e;
  }
  if (!entry) return;
  const ElementPath& path = entry->path;
  Binding* owner = path.ownerScope->find(path.owner);
  // The owner may be an element alias itself (an element of an element).
  if (owner && (owner->flags & kElementAlias)) path.ownerScope->locateElement(*owner);
  Variant* array = owner ? owner->value : nullptr;
  Variant* element = array && array->isArray()
                         ? array->element(path.subscripts.data(), static_cast<int>(path.subscripts.size()), true)
                         : nullptr;
  alias.value = element ? element : &entry->detached;
}

void Scope::clear() {
  if (count_ == 0) return;
  for (uint32_t i : used_) slots_[i] = Binding();
  used_.clear();
  count_ = 0;
  values_.clear();
  if (elementAliases_) elementAliases_->clear();
}

}  // namespace vx

#include "engine/names.h"

namespace vx {

int32_t NameTable::intern(const String& upperName) {
  auto it = ids_.find(upperName);
  if (it != ids_.end()) return it->second;
  int32_t id = static_cast<int32_t>(names_.size());
  names_.push_back(upperName);
  ids_.emplace(upperName, id);
  return id;
}

int32_t NameTable::find(const String& upperName) const {
  auto it = ids_.find(upperName);
  return it == ids_.end() ? -1 : it->second;
}

void NameTable::internLine(TokenLine& line) {
  for (Token& t : line) {
    if (t.kind == TokenKind::Variable || t.kind == TokenKind::Macro || t.kind == TokenKind::UserFunction)
      t.value.index = intern(t.text);
  }
}

}  // namespace vx

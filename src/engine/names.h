// Interned names: every variable, macro and function name gets a small
// number once, when its line is prepared, so that scope lookups at run time
// compare integers, never text.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "lexer/token.h"
#include "values/string.h"

namespace vx {

struct StringHash {
  size_t operator()(const String& s) const {
    // FNV-1a over the code units.
    size_t h = 2166136261u;
    for (size_t i = 0; i < s.length(); ++i) h = (h ^ s[i]) * 16777619u;
    return h;
  }
};

class NameTable {
 public:
  int32_t intern(const String& upperName);
  // -1 when the name was never interned.
  int32_t find(const String& upperName) const;
  const String& name(int32_t id) const { return names_[static_cast<size_t>(id)]; }
  int32_t count() const { return static_cast<int32_t>(names_.size()); }

  // Gives every name token of the line its id (kept in the token's value).
  void internLine(TokenLine& line);

 private:
  std::unordered_map<String, int32_t, StringHash> ids_;
  std::vector<String> names_;
};

}  // namespace vx

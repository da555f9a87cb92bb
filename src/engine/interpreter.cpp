#include "engine/interpreter.h"

namespace vx {

void Interpreter::declareGlobal(const String& name, Variant value, bool constant) {
  for (GlobalVariable& g : globals_) {
    if (g.name == name) {
      g.value = std::move(value);
      g.constant = constant;
      return;
    }
  }
  globals_.push_back({name, std::move(value), constant});
}

const Variant* Interpreter::findGlobal(const String& name) const {
  for (const GlobalVariable& g : globals_)
    if (g.name == name) return &g.value;
  return nullptr;
}

}  // namespace vx

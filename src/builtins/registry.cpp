#include "builtins/registry.h"

namespace vx {

void registerAllBuiltins(Interpreter& vm) {
  registerCoreBuiltins(vm);
  registerConsoleBuiltins(vm);
  registerMathBuiltins(vm);
  registerSleepBuiltin(vm);
  registerOptionBuiltins(vm);
  registerDynamicBuiltins(vm);
  registerStringBuiltins(vm);
  registerBitBuiltins(vm);
  registerBinaryBuiltins(vm);
  registerRandomBuiltins(vm);
  registerRegexBuiltins(vm);
  registerStringFormatBuiltins(vm);
#ifdef _WIN32
  registerIniBuiltins(vm);
  registerFileBuiltins(vm);
  registerFileSystemBuiltins(vm);
  registerShellFileBuiltins(vm);
#endif
}

}  // namespace vx

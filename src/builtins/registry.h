// Each family registers its handlers in the built-in table of a run; a
// family missing from a build leaves its entries to stop with a clear error.
#pragma once

namespace vx {

class Interpreter;

void registerAllBuiltins(Interpreter& vm);

void registerCoreBuiltins(Interpreter& vm);
void registerConsoleBuiltins(Interpreter& vm);
void registerMathBuiltins(Interpreter& vm);
void registerSleepBuiltin(Interpreter& vm);
void registerOptionBuiltins(Interpreter& vm);
void registerDynamicBuiltins(Interpreter& vm);
void registerStringBuiltins(Interpreter& vm);
void registerBitBuiltins(Interpreter& vm);
void registerBinaryBuiltins(Interpreter& vm);
void registerRandomBuiltins(Interpreter& vm);
void registerRegexBuiltins(Interpreter& vm);
void registerStringFormatBuiltins(Interpreter& vm);

// Windows-only families.
void registerIniBuiltins(Interpreter& vm);
void registerFileBuiltins(Interpreter& vm);
void registerFileSystemBuiltins(Interpreter& vm);
void registerShellFileBuiltins(Interpreter& vm);

}  // namespace vx

// CONSOLEWRITE and CONSOLEWRITEERROR: the interpreter's own standard streams.
// Bytes go out exactly as given (no line-end translation); text in the ANSI
// code page; every call is flushed so output interleaves with child programs.
#include "builtins/registry.h"
#include "engine/interpreter.h"
#include "platform/platform.h"

namespace vx {

namespace {

int write(Interpreter& vm, const Variant& data, Variant& result, platform::Stream stream) {
  long long written;
  if (const BinaryBlock* block = data.binary()) {
    written = platform::writeStream(stream, block->bytes, block->length);
  } else {
    const std::string bytes = platform::utf16ToAnsi(data.stringForm());
    written = platform::writeStream(stream, bytes.data(), bytes.size());
  }
  if (vm.debugOutput) platform::debugOutput(data.stringForm());
  result.setInt32(static_cast<int32_t>(written < 0 ? 0 : written));
  return 0;
}

int consoleWrite(Interpreter& vm, Variant* a, int, Variant& r) { return write(vm, a[0], r, platform::Stream::Output); }
int consoleWriteError(Interpreter& vm, Variant* a, int, Variant& r) {
  return write(vm, a[0], r, platform::Stream::Error);
}

}  // namespace

void registerConsoleBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::CONSOLEWRITE, consoleWrite);
  vm.registerBuiltin(BuiltinId::CONSOLEWRITEERROR, consoleWriteError);
}

}  // namespace vx

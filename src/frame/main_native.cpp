// The native runner: the portable core on Linux, for tests under sanitizers
// and for benchmarks. Windows-only families are unavailable here.
#include <string>

#include "engine/interpreter.h"
#include "engine/quiet_host.h"
#include "frame/startup.h"

namespace {

// Rebuilds one command-line text from argv, quoted so that the program's
// own splitting gives the same arguments back.
vx::String quotedCommandLine(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (i > 1) text += ' ';
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
      text += arg;
      continue;
    }
    text += '"';
    for (char c : arg) text += c == '"' ? std::string("\"\"") : std::string(1, c);
    text += '"';
  }
  return vx::String::fromUtf8(text.data(), text.size());
}

}  // namespace

int main(int argc, char** argv) {
  vx::Interpreter vm;
  return vx::runMainDriver(vm, quotedCommandLine(argc, argv),
                           [](vx::Interpreter&) { return std::make_unique<vx::QuietHost>(); });
}

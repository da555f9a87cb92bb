// The native runner: the portable core on Linux, for tests under sanitizers
// and for benchmarks. Windows-only families are unavailable here.
#include <pthread.h>

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

struct Run {
  int argc;
  char** argv;
  int exitCode;
};

void* runScript(void* data) {
  Run& run = *static_cast<Run*>(data);
  vx::Interpreter vm;
  run.exitCode = vx::runMainDriver(vm, quotedCommandLine(run.argc, run.argv),
                                   [](vx::Interpreter&) { return std::make_unique<vx::QuietHost>(); });
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  // Every nested run level lives on the script thread's stack; give it room
  // for the deepest nesting allowed, also under the sanitizers' larger frames.
  Run run{argc, argv, 1};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, size_t{1} << 30);
  pthread_t thread;
  if (pthread_create(&thread, &attributes, runScript, &run) != 0) return 1;
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  return run.exitCode;
}

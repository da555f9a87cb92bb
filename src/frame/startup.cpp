#include "frame/startup.h"

#include "platform/platform.h"
#include "source/compiled_container.h"
#include "source/lex_script.h"
#include "source/load_report.h"
#include "source/script_reader.h"

namespace vx {

namespace {

// Publishes CMDLINERAW and the constant CMDLINE array [count, arg1, …].
void publishCommandLine(Interpreter& vm, const String& text, const std::vector<String>& arguments) {
  vm.declareGlobal(String::fromAscii("CMDLINERAW"), Variant::fromString(text), false);
  Variant list;
  uint32_t size = static_cast<uint32_t>(arguments.size() + 1);
  list.dimension(&size, 1);
  uint32_t index = 0;
  *list.element(&index, 1, true) = Variant::fromInt32(static_cast<int32_t>(arguments.size()));
  for (const String& argument : arguments) {
    ++index;
    *list.element(&index, 1, true) = Variant::fromString(argument);
  }
  vm.declareGlobal(String::fromAscii("CMDLINE"), std::move(list), true);
}

String withoutTrailingSeparator(String path) {
  if (path.length() > 1 && platform::isPathSeparator(path[path.length() - 1])) path.resize(path.length() - 1);
  return path;
}

// Loads the script file named on the command line or chosen in the dialog.
bool loadScriptFile(Interpreter& vm, CommandLine& cl, bool& fromDialog) {
  ScriptLines& store = vm.script();
  store.errorToStdout = cl.errorToStdout;
  if (cl.scriptPath.empty()) {
    if (!platform::askForScriptFile(cl.scriptPath)) return false;
    fromDialog = true;
  }
  String path = platform::normaliseThroughShell(withoutTrailingSeparator(platform::fullPath(cl.scriptPath)));
  cl.scriptPath = path;
  const int fileIndex = store.registerFile(path);

  const ContainerProbe probe = probeContainer(path);
  const bool isContainer = probe.status == ContainerStatus::Found;
  if (cl.kind == SourceKind::EmbeddedScript || isContainer) {
    // Running compiled containers arrives with their reader; until then
    // such a run cannot start.
    reportUnableToOpenScript(cl.errorToStdout);
    return false;
  }
  cl.kind = SourceKind::SourceFile;
  return readSourceFile(store, path, fileIndex, ReportingPlace{path, String(), 0});
}

}  // namespace

String scriptDirectoryOf(const String& fullPath) {
  size_t cut = fullPath.length();
  while (cut > 0 && !platform::isPathSeparator(fullPath[cut - 1])) --cut;
  String dir = fullPath.substr(0, cut > 0 ? cut - 1 : 0);
  if (dir.length() == 2 && dir[1] == u':') dir.append(platform::kPathSeparator);
  if (dir.empty() && cut == 1) dir.append(platform::kPathSeparator);  // a file in the root of a POSIX tree
  return dir;
}

String fileNameOf(const String& fullPath) {
  size_t cut = fullPath.length();
  while (cut > 0 && !platform::isPathSeparator(fullPath[cut - 1])) --cut;
  return fullPath.substr(cut, fullPath.length() - cut);
}

int runMainDriver(Interpreter& vm, const String& commandText, const HostFactory& makeHost) {
  const String savedDirectory = platform::currentDirectory();
  const String executable = platform::executablePath();
  const bool carriesScript = probeContainer(executable).status != ContainerStatus::NoSignature;
  CommandLine cl = interpretCommandLine(commandText, executable, carriesScript, false);
  publishCommandLine(vm, commandText, cl.scriptArguments);
  vm.errorToStdout = cl.errorToStdout;
  vm.debugOutput = cl.debugOutput;

  if (cl.kind == SourceKind::NoSource) {
    vm.exitCode = -1;
    platform::setCurrentDirectory(savedDirectory);
    return vm.exitCode;
  }

  ScriptLines& store = vm.script();
  String includeSetting;
  const bool hasSetting = platform::readIncludePathSetting(includeSetting);
  store.initIncludeDirs(executable, hasSetting ? &includeSetting : nullptr);

  bool fromDialog = false;
  if (cl.kind == SourceKind::SingleLine) {
    store.addLine(1, cl.lineText, -1);
    store.errorToStdout = cl.errorToStdout;
  } else {
    if (!loadScriptFile(vm, cl, fromDialog)) {
      vm.exitCode = 1;
      platform::setCurrentDirectory(savedDirectory);
      return vm.exitCode;
    }
    cl.noTrayIcon = cl.noTrayIcon || store.noTrayIcon;
    cl.scriptPath = platform::fullPath(cl.scriptPath);
  }

  vm.errorToStdout = store.errorToStdout;
  if (!lexScript(store) || !vm.prepare()) {
    vm.exitCode = 1;
    platform::setCurrentDirectory(savedDirectory);
    return vm.exitCode;
  }
  vm.scriptFullPath = cl.scriptPath;
  vm.scriptName = fileNameOf(cl.scriptPath);
  vm.scriptDir = scriptDirectoryOf(cl.scriptPath);
  vm.sourceKind = cl.kind;
  vm.noTrayIcon = cl.noTrayIcon;

  if (store.requireAdmin && !platform::isAdministrator()) {
    String parameters = commandText;
    if (fromDialog) {
      parameters = String::fromAscii("\"");
      parameters.append(cl.scriptPath);
      parameters.append(u'"');
    }
    platform::relaunchElevated(parameters, savedDirectory);
    platform::setCurrentDirectory(savedDirectory);
    return vm.exitCode;
  }

  {
    std::unique_ptr<RunHost> host = makeHost(vm);
    vm.runScript(*host);
  }
  platform::setCurrentDirectory(savedDirectory);
  return vm.exitCode;
}

}  // namespace vx

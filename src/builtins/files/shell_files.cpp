// File functions served by the shell and the version API: versions, short and
// long names, links, shortcuts and the file dialogs. Each group lives in its
// own file; this one registers them all.
#include "builtins/files/shell_files.h"
#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

void registerShellFileBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::FILEGETVERSION, fileGetVersion);
  vm.registerBuiltin(BuiltinId::FILEGETSHORTNAME, fileGetShortName);
  vm.registerBuiltin(BuiltinId::FILEGETLONGNAME, fileGetLongName);
  vm.registerBuiltin(BuiltinId::FILECREATENTFSLINK, fileCreateNtfsLink);
  vm.registerBuiltin(BuiltinId::FILECREATESHORTCUT, fileCreateShortcut);
  vm.registerBuiltin(BuiltinId::FILEGETSHORTCUT, fileGetShortcut);
  vm.registerBuiltin(BuiltinId::FILEOPENDIALOG, fileOpenDialog);
  vm.registerBuiltin(BuiltinId::FILESAVEDIALOG, fileSaveDialog);
  vm.registerBuiltin(BuiltinId::FILESELECTFOLDER, fileSelectFolder);
}

}  // namespace vx

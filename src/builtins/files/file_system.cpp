// Files and directories as a whole: existence, copy, move, delete, directories,
// attributes, times and file searches.
#include "builtins/files/file_system.h"

#include "builtins/registry.h"

namespace vx {

namespace {

struct FileSystemEntry {
  BuiltinId id;
  BuiltinHandler handler;
};

constexpr FileSystemEntry kFileSystemBuiltins[] = {
    {BuiltinId::FILEEXISTS, fileExists},
    {BuiltinId::FILECHANGEDIR, fileChangeDir},
    {BuiltinId::DIRCREATE, dirCreate},
    {BuiltinId::DIRREMOVE, dirRemove},
    {BuiltinId::DIRCOPY, dirCopy},
    {BuiltinId::DIRMOVE, dirMove},
    {BuiltinId::DIRGETSIZE, dirGetSize},
    {BuiltinId::FILECOPY, fileCopy},
    {BuiltinId::FILEMOVE, fileMove},
    {BuiltinId::FILEDELETE, fileDelete},
    {BuiltinId::FILERECYCLE, fileRecycle},
    {BuiltinId::FILERECYCLEEMPTY, fileRecycleEmpty},
    {BuiltinId::FILEINSTALL, fileInstall},
    {BuiltinId::FILEGETSIZE, fileGetSize},
    {BuiltinId::FILEGETATTRIB, fileGetAttrib},
    {BuiltinId::FILESETATTRIB, fileSetAttrib},
    {BuiltinId::FILEGETTIME, fileGetTime},
    {BuiltinId::FILESETTIME, fileSetTime},
    {BuiltinId::FILEFINDFIRSTFILE, fileFindFirstFile},
    {BuiltinId::FILEFINDNEXTFILE, fileFindNextFile},
};

}  // namespace

void registerFileSystemBuiltins(Interpreter& vm) {
  for (const FileSystemEntry& entry : kFileSystemBuiltins) vm.registerBuiltin(entry.id, entry.handler);
}

}  // namespace vx

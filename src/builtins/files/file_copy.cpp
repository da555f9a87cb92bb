// Copying, moving, deleting and recycling files by name or wildcard pattern,
// and FILEINSTALL, which copies by the same rules.
//
// A wildcard operation first collects every match, then works through them in
// order and stops at the first failure; what was done before stays done.
#include <windows.h>

#include <shellapi.h>

#include "builtins/files/file_paths.h"
#include "builtins/files/file_system.h"

namespace vx {

namespace {

enum TransferFlags : int { kTransferOverwrite = 1, kTransferCreatePath = 8 };

bool endsWithSeparator(const std::wstring& path) {
  return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

std::wstring longForm(const std::wstring& path) {
  wchar_t buffer[kMaxPathLength + 1];
  const DWORD n = GetLongPathNameW(path.c_str(), buffer, kMaxPathLength + 1);
  return n > 0 && n <= kMaxPathLength ? std::wstring(buffer, n) : path;
}

// Puts `from` at `to`, which does not exist (any more).
bool transferOne(const std::wstring& from, const std::wstring& to, bool move, bool differentVolumes) {
  if (!move) return CopyFileW(from.c_str(), to.c_str(), FALSE);
  if (!differentVolumes) return MoveFileW(from.c_str(), to.c_str());
  return CopyFileW(from.c_str(), to.c_str(), FALSE) && DeleteFileW(from.c_str());
}

// An existing destination: false stops the whole operation.
bool clearDestination(const std::wstring& from, const std::wstring& to, bool overwrite, bool& done) {
  if (!overwrite) return false;
  if (sameIgnoringCase(from, to)) {
    // The same file: only its letter case changes.
    done = true;
    return from == to || MoveFileW(from.c_str(), to.c_str());
  }
  // Another spelling of the source itself (a short name): deleting the
  // destination would delete the only copy.
  if (sameIgnoringCase(longForm(from), longForm(to))) return false;
  return DeleteFileW(to.c_str());
}

// FILECOPY's and FILEMOVE's rules; true when at least one file was handled
// and nothing failed.
bool transferFiles(const std::wstring& sourceArgument, const std::wstring& destinationArgument, int flags,
                   bool move) {
  std::wstring source, destination;
  if (!makeFullPath(sourceArgument, source) || !makeFullPath(destinationArgument, destination)) return false;
  const bool differentVolumes = onDifferentVolumes(source, destination);
  if (isDirectory(source)) source = childPath(source, L"*.*");
  // A trailing backslash names a directory even before it exists, so that
  // flag 8 makes it and the files land inside it.
  if (isDirectory(destination) || endsWithSeparator(destinationArgument))
    destination = childPath(destination, L"*.*");
  if (flags & kTransferCreatePath) {
    const std::wstring directory = directoryPart(destination);
    if (!directory.empty() && !createDirectoryPath(directory)) return false;
  }
  std::vector<FoundName> names;
  DWORD error = 0;
  if (!findNames(source, names, error)) return false;
  const std::wstring sourceDirectory = directoryPart(source);
  const bool overwrite = (flags & kTransferOverwrite) != 0;
  int handled = 0;
  for (const FoundName& found : names) {
    if (found.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::wstring from = sourceDirectory + found.name;
    const std::wstring to = destinationName(destination, found.name);
    if (to.size() > kMaxPathLength) return false;
    bool done = false;
    if (pathExists(to) && !clearDestination(from, to, overwrite, done)) return false;
    if (!done && !transferOne(from, to, move, differentVolumes)) return false;
    ++handled;
  }
  return handled > 0;
}

}  // namespace

int fileCopy(Interpreter&, Variant* a, int count, Variant& r) {
  const int flags = argumentGiven(a, count, 2) ? a[2].toInt32() : 0;
  return flagResult(r, transferFiles(wideOf(a[0]), wideOf(a[1]), flags, false));
}

int fileMove(Interpreter&, Variant* a, int count, Variant& r) {
  const int flags = argumentGiven(a, count, 2) ? a[2].toInt32() : 0;
  return flagResult(r, transferFiles(wideOf(a[0]), wideOf(a[1]), flags, true));
}

int fileDelete(Interpreter& vm, Variant* a, int, Variant& r) {
  std::wstring pattern;
  if (!makeFullPath(wideOf(a[0]), pattern)) {
    vm.setExtended(static_cast<int32_t>(ERROR_INVALID_NAME));
    return flagResult(r, false);
  }
  if (isDirectory(pattern)) pattern = childPath(pattern, L"*");
  std::vector<FoundName> names;
  DWORD error = 0;
  if (!findNames(pattern, names, error)) {
    vm.setExtended(static_cast<int32_t>(error));
    return flagResult(r, false);
  }
  const std::wstring directory = directoryPart(pattern);
  int deleted = 0;
  for (const FoundName& found : names) {
    if (found.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!DeleteFileW((directory + found.name).c_str())) {
      vm.setExtended(static_cast<int32_t>(GetLastError()));
      return flagResult(r, false);
    }
    ++deleted;
  }
  if (deleted == 0) vm.setExtended(static_cast<int32_t>(ERROR_FILE_NOT_FOUND));
  return flagResult(r, deleted > 0);
}

int fileRecycle(Interpreter&, Variant* a, int, Variant& r) {
  std::wstring path;
  if (!makeFullPath(wideOf(a[0]), path)) return flagResult(r, false);
  return flagResult(r, shellOperation(FO_DELETE, path, std::wstring(), kShellRecycleFlags));
}

int fileRecycleEmpty(Interpreter&, Variant* a, int count, Variant& r) {
  const std::wstring root = argumentGiven(a, count, 0) ? wideOf(a[0]) : std::wstring();
  const DWORD quiet = SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND;
  return flagResult(r, SHEmptyRecycleBinW(nullptr, root.empty() ? nullptr : root.c_str(), quiet) == S_OK);
}

int fileInstall(Interpreter& vm, Variant* a, int count, Variant& r) {
  // A compiled script's file store is read by the container reader, which
  // this build does not have: nothing can be extracted.
  if (vm.sourceKind != SourceKind::SourceFile && vm.sourceKind != SourceKind::SingleLine) return flagResult(r, false);
  std::wstring source = wideOf(a[0]);
  const bool relative = !source.empty() && source[0] != L'\\' && source[0] != L'/' &&
                        !(source.size() >= 2 && source[1] == L':');
  if (relative) source = childPath(wideOf(vm.scriptDir), source);
  const std::wstring destination = wideOf(a[1]);
  if (isDirectory(destination) && !endsWithSeparator(destination)) return flagResult(r, false);
  const bool overwrite = argumentGiven(a, count, 2) && a[2].truth();
  return flagResult(r, transferFiles(source, destination, overwrite ? kTransferOverwrite : 0, false));
}

}  // namespace vx

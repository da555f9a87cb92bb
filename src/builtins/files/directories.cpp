// Existence, the current directory, and directories as a whole: creating,
// removing, copying, moving and measuring them.
//
// Walks over a tree never descend into junctions or symbolic links: a link
// back to an ancestor would otherwise make the walk branch without end.
#include <windows.h>

#include <shellapi.h>

#include "builtins/files/file_paths.h"
#include "builtins/files/file_system.h"

namespace vx {

namespace {

bool hasEntries(const std::wstring& directory) {
  std::vector<FoundName> names;
  DWORD error = 0;
  return findNames(childPath(directory, L"*"), names, error);
}

bool removeTree(const std::wstring& directory) {
  return shellOperation(FO_DELETE, directory, std::wstring(), kShellQuietFlags);
}

// Both paths full. The destination is made when missing; an existing one is
// filled only with `overwrite`.
bool copyDirectory(const std::wstring& source, const std::wstring& destination, bool overwrite) {
  if (sameIgnoringCase(source, destination)) {
    if (!overwrite) return false;
    return source == destination || MoveFileW(source.c_str(), destination.c_str());
  }
  if (!isDirectory(source)) return false;
  // A copy into itself would copy its own copies.
  if (isWithin(destination, source)) return false;
  if (pathExists(destination)) {
    if (!overwrite) return false;
  } else if (!createDirectoryPath(destination)) {
    return false;
  }
  if (!hasEntries(source)) return true;
  return shellOperation(FO_COPY, childPath(source, L"*.*"), destination, kShellQuietFlags);
}

struct DirectoryTotals {
  int64_t bytes = 0;
  int64_t files = 0;
  int64_t directories = 0;
};

void measure(const std::wstring& directory, bool descend, DirectoryTotals& totals) {
  FindHandle search(childPath(directory, L"*"));
  if (!search.found()) return;
  do {
    const WIN32_FIND_DATAW& data = search.data();
    if (isDotEntry(data.cFileName)) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ++totals.directories;
      if (descend && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        measure(childPath(directory, data.cFileName), descend, totals);
    } else {
      ++totals.files;
      totals.bytes += sizeOf(data);
    }
  } while (search.next());
}

// No "insert a disk" dialog while a scan touches removable drives.
class QuietCriticalErrors {
 public:
  QuietCriticalErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~QuietCriticalErrors() { SetErrorMode(previous_); }
  QuietCriticalErrors(const QuietCriticalErrors&) = delete;
  QuietCriticalErrors& operator=(const QuietCriticalErrors&) = delete;

 private:
  UINT previous_;
};

}  // namespace

int fileExists(Interpreter&, Variant* a, int, Variant& r) { return flagResult(r, pathExists(wideOf(a[0]))); }

int fileChangeDir(Interpreter&, Variant* a, int, Variant& r) {
  const std::wstring path = wideOf(a[0]);
  return flagResult(r, !path.empty() && SetCurrentDirectoryW(path.c_str()));
}

int dirCreate(Interpreter&, Variant* a, int, Variant& r) {
  const std::wstring path = wideOf(a[0]);
  return flagResult(r, !path.empty() && createDirectoryPath(path));
}

int dirRemove(Interpreter&, Variant* a, int count, Variant& r) {
  std::wstring path;
  if (!makeFullPath(wideOf(a[0]), path) || !isDirectory(path)) return flagResult(r, false);
  if (argumentGiven(a, count, 1) && a[1].truth()) return flagResult(r, removeTree(path));
  return flagResult(r, RemoveDirectoryW(path.c_str()));
}

int dirCopy(Interpreter&, Variant* a, int count, Variant& r) {
  std::wstring source, destination;
  if (!makeFullPath(wideOf(a[0]), source) || !makeFullPath(wideOf(a[1]), destination)) return flagResult(r, false);
  const bool overwrite = argumentGiven(a, count, 2) && a[2].truth();
  return flagResult(r, copyDirectory(source, destination, overwrite));
}

int dirMove(Interpreter&, Variant* a, int count, Variant& r) {
  std::wstring source, destination;
  if (!makeFullPath(wideOf(a[0]), source) || !makeFullPath(wideOf(a[1]), destination)) return flagResult(r, false);
  if (!isDirectory(source)) return flagResult(r, false);
  const bool overwrite = argumentGiven(a, count, 2) && a[2].truth();
  if (pathExists(destination)) {
    if (!overwrite) return flagResult(r, false);
    if (sameIgnoringCase(source, destination))
      return flagResult(r, source == destination || MoveFileW(source.c_str(), destination.c_str()));
    destination = childPath(destination, lastComponent(source));
    if (destination.size() > kMaxPathLength) return flagResult(r, false);
  }
  if (isWithin(destination, source)) return flagResult(r, false);
  if (onDifferentVolumes(source, destination)) {
    // The source goes only once its copy is complete.
    return flagResult(r, copyDirectory(source, destination, true) && removeTree(source));
  }
  return flagResult(r, shellOperation(FO_MOVE, source, destination, kShellQuietFlags));
}

int dirGetSize(Interpreter& vm, Variant* a, int count, Variant& r) {
  const int32_t flag = argumentGiven(a, count, 1) ? a[1].toInt32() : 0;
  std::wstring path;
  if (!makeFullPath(wideOf(a[0]), path) || !isDirectory(path)) {
    r.setInt32(-1);
    vm.setError(1);
    return 0;
  }
  DirectoryTotals totals;
  {
    QuietCriticalErrors quiet;
    measure(path, (flag & 2) == 0, totals);
  }
  if ((flag & 1) == 0) {
    r.setInt64(totals.bytes);
    return 0;
  }
  const uint32_t size = 3;
  r.dimension(&size, 1);
  const int64_t values[3] = {totals.bytes, totals.files, totals.directories};
  for (uint32_t i = 0; i < size; ++i) *r.element(&i, 1, true) = Variant::fromInt64(values[i]);
  return 0;
}

}  // namespace vx

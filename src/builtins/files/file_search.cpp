// File searches by handle. A search lives in the script's handle table
// beside open files; FILECLOSE empties its slot, which closes the system's
// find handle. The first name is found when the search starts (to tell "no
// match" from "a match") and handed out by the first FILEFINDNEXTFILE.
#include <windows.h>

#include <memory>

#include "builtins/files/file_paths.h"
#include "builtins/files/file_system.h"
#include "builtins/files/file_table.h"

namespace vx {

namespace {

class FileSearch : public HandleEntry {
 public:
  FileSearch(HANDLE handle, const WIN32_FIND_DATAW& first)
      : handle_(handle), pendingName_(first.cFileName), pendingAttributes_(first.dwFileAttributes) {}
  ~FileSearch() override { FindClose(handle_); }
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;
  HandleKind kind() const override { return HandleKind::Search; }

  // The next name other than "." and ".."; false when there is none.
  bool next(std::wstring& name, DWORD& attributes) {
    if (hasPending_) {
      hasPending_ = false;
      name.swap(pendingName_);
      attributes = pendingAttributes_;
      return true;
    }
    WIN32_FIND_DATAW data;
    do {
      if (finished_ || !FindNextFileW(handle_, &data)) {
        finished_ = true;
        return false;
      }
    } while (isDotEntry(data.cFileName));
    name = data.cFileName;
    attributes = data.dwFileAttributes;
    return true;
  }

 private:
  HANDLE handle_;
  std::wstring pendingName_;
  DWORD pendingAttributes_;
  bool hasPending_ = true;
  bool finished_ = false;
};

}  // namespace

int fileFindFirstFile(Interpreter& vm, Variant* a, int, Variant& r) {
  const std::wstring pattern = wideOf(a[0]);
  WIN32_FIND_DATAW data;
  HANDLE handle = pattern.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW(pattern.c_str(), &data);
  if (handle == INVALID_HANDLE_VALUE) {
    r.setInt32(-1);
    return 0;
  }
  bool found = true;
  while (found && isDotEntry(data.cFileName)) found = FindNextFileW(handle, &data) != 0;
  if (!found) {
    FindClose(handle);
    r.setInt32(-1);
    vm.setError(1);
    return 0;
  }
  if (!vm.fileHandles) vm.fileHandles = std::make_unique<FileHandleTable>();
  r.setInt32(vm.fileHandles->add(std::make_unique<FileSearch>(handle, data)));
  return 0;
}

int fileFindNextFile(Interpreter& vm, Variant* a, int, Variant& r) {
  HandleEntry* entry = a[0].isNumber() && vm.fileHandles ? vm.fileHandles->find(a[0].toInt64()) : nullptr;
  std::wstring name;
  DWORD attributes = 0;
  if (!entry || entry->kind() != HandleKind::Search || !static_cast<FileSearch*>(entry)->next(name, attributes)) {
    r.setString(String());
    vm.setError(1);
    return 0;
  }
  r.setString(stringOf(name));
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) vm.setExtended(1);
  return 0;
}

}  // namespace vx

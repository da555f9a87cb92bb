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
  explicit FileSearch(const std::wstring& pattern) : search_(pattern) {}
  HandleKind kind() const override { return HandleKind::Search; }

  bool found() const { return search_.found(); }
  // Moves past "." and ".." at the start; false when nothing else matched.
  bool skipDots() {
    while (isDotEntry(search_.data().cFileName))
      if (!search_.next()) return false;
    return true;
  }

  // The next name other than "." and ".."; false when there is none. The
  // first is the one the search started on.
  bool next(std::wstring& name, DWORD& attributes) {
    if (!first_) {
      do {
        if (finished_ || !search_.next()) {
          finished_ = true;
          return false;
        }
      } while (isDotEntry(search_.data().cFileName));
    }
    first_ = false;
    name = search_.data().cFileName;
    attributes = search_.data().dwFileAttributes;
    return true;
  }

 private:
  FindHandle search_;
  bool first_ = true;
  bool finished_ = false;
};

}  // namespace

int fileFindFirstFile(Interpreter& vm, Variant* a, int, Variant& r) {
  r.setInt32(-1);
  const std::wstring pattern = wideOf(a[0]);
  if (pattern.empty()) return 0;
  auto search = std::make_unique<FileSearch>(pattern);
  if (!search->found()) return 0;
  if (!search->skipDots()) {
    vm.setError(1);
    return 0;
  }
  if (!vm.fileHandles) vm.fileHandles = std::make_unique<FileHandleTable>();
  r.setInt32(vm.fileHandles->add(std::move(search)));
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

// FILEGETSHORTNAME and FILEGETLONGNAME. Both hand back the path they were
// given, with @error 1, when the system cannot convert it.
#include "builtins/files/shell_files.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

// The path to convert: the full form when the second argument is 1.
std::wstring pathArgument(const Variant* a, int count) {
  std::wstring path = wideOf(a[0].stringForm());
  if (argumentGiven(a, count, 1) && a[1].toInt32() == 1) path = fullPathOrAsGiven(path);
  return path;
}

int unchanged(Interpreter& vm, const Variant* a, Variant& r) {
  r.setString(a[0].stringForm());
  vm.setError(1);
  return 0;
}

}  // namespace

int fileGetShortName(Interpreter& vm, Variant* a, int count, Variant& r) {
  const std::wstring path = pathArgument(a, count);
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return unchanged(vm, a, r);
  r.setString(stringOf(buffer, n));
  return 0;
}

int fileGetLongName(Interpreter& vm, Variant* a, int count, Variant& r) {
  const std::wstring path = pathArgument(a, count);
  shell::ComApartment com;
  shell::ItemIdList list;
  wchar_t buffer[MAX_PATH];
  if (path.empty() || !shell::parseDisplayName(path, list) || !SHGetPathFromIDListW(list.get(), buffer))
    return unchanged(vm, a, r);
  r.setString(stringOf(buffer));
  return 0;
}

}  // namespace vx

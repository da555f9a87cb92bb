// INI files through the system's profile functions, which own the file
// syntax, name matching and encoding. Every write is flushed to disk at once,
// so what a script wrote is there even if the process ends abruptly.
#include <windows.h>

#include <string>

#include "builtins/files/file_arguments.h"
#include "builtins/files/file_paths.h"
#include "builtins/registry.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

constexpr DWORD kValueBuffer = 65535;
constexpr DWORD kSectionBuffer = 32767;

// Absolute: the profile functions must never fall back to the Windows
// directory for a bare name.
std::wstring iniPath(const Variant& file) { return fullPathOrAsGiven(wideOf(file)); }

void flush(const std::wstring& path) { WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str()); }

int iniRead(Interpreter&, Variant* a, int, Variant& r) {
  const std::wstring path = iniPath(a[0]);
  std::wstring buffer(kValueBuffer, L'\0');
  const DWORD n = GetPrivateProfileStringW(wideOf(a[1].stringForm()).c_str(), wideOf(a[2].stringForm()).c_str(),
                                           wideOf(a[3].stringForm()).c_str(), buffer.data(), kValueBuffer,
                                           path.c_str());
  r.setString(stringOf(buffer.data(), n));
  return 0;
}

int iniWrite(Interpreter&, Variant* a, int, Variant& r) {
  const std::wstring path = iniPath(a[0]);
  const bool ok = WritePrivateProfileStringW(wideOf(a[1].stringForm()).c_str(), wideOf(a[2].stringForm()).c_str(),
                                             wideOf(a[3].stringForm()).c_str(), path.c_str());
  if (ok) flush(path);
  r.setInt32(ok);
  return 0;
}

int iniDelete(Interpreter&, Variant* a, int count, Variant& r) {
  const std::wstring path = iniPath(a[0]);
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    r.setInt32(0);
    return 0;
  }
  const bool wholeSection = count < 3 || a[2].isDefault();
  const std::wstring key = wholeSection ? std::wstring() : wideOf(a[2].stringForm());
  const bool ok = WritePrivateProfileStringW(wideOf(a[1].stringForm()).c_str(), wholeSection ? nullptr : key.c_str(),
                                             nullptr, path.c_str());
  if (ok) flush(path);
  r.setInt32(ok);
  return 0;
}

// The zero-separated entries of a section: comments and lines without "="
// are skipped; the first "=" splits key from value.
int iniReadSection(Interpreter& vm, Variant* a, int, Variant& r) {
  const std::wstring path = iniPath(a[0]);
  std::wstring buffer(kSectionBuffer, L'\0');
  const DWORD n = GetPrivateProfileSectionW(wideOf(a[1].stringForm()).c_str(), buffer.data(), kSectionBuffer,
                                            path.c_str());
  std::vector<std::pair<String, String>> rows;
  for (DWORD i = 0; i < n;) {
    const wchar_t* entry = buffer.data() + i;
    const size_t length = wcslen(entry);
    i += static_cast<DWORD>(length) + 1;
    if (length == 0 || entry[0] == L';') continue;
    const wchar_t* equals = wcschr(entry, L'=');
    if (!equals) continue;
    rows.emplace_back(stringOf(entry, static_cast<size_t>(equals - entry)),
                      stringOf(equals + 1, length - static_cast<size_t>(equals - entry) - 1));
  }
  if (rows.empty()) {
    vm.setError(1);
    return 0;
  }
  const uint32_t sizes[2] = {static_cast<uint32_t>(rows.size() + 1), 2};
  r.dimension(sizes, 2);
  uint32_t at[2] = {0, 0};
  *r.element(at, 2, true) = Variant::fromInt32(static_cast<int32_t>(rows.size()));
  for (uint32_t row = 1; row <= rows.size(); ++row) {
    at[0] = row;
    at[1] = 0;
    *r.element(at, 2, true) = Variant::fromString(rows[row - 1].first);
    at[1] = 1;
    *r.element(at, 2, true) = Variant::fromString(rows[row - 1].second);
  }
  return 0;
}

int iniReadSectionNames(Interpreter& vm, Variant* a, int, Variant& r) {
  const std::wstring path = iniPath(a[0]);
  std::wstring buffer(kSectionBuffer, L'\0');
  buffer[1] = L'\n';  // still there afterwards: nothing was read
  const DWORD n = GetPrivateProfileSectionNamesW(buffer.data(), kSectionBuffer, path.c_str());
  if (n == 0 || buffer[1] == L'\n') {
    vm.setError(1);
    return 0;
  }
  std::vector<String> names;
  for (DWORD i = 0; i < n;) {
    const size_t length = wcslen(buffer.data() + i);
    if (length == 0) break;
    names.push_back(stringOf(buffer.data() + i, length));
    i += static_cast<DWORD>(length) + 1;
  }
  uint32_t size = static_cast<uint32_t>(names.size() + 1);
  r.dimension(&size, 1);
  uint32_t at = 0;
  *r.element(&at, 1, true) = Variant::fromInt32(static_cast<int32_t>(names.size()));
  for (at = 1; at <= names.size(); ++at) *r.element(&at, 1, true) = Variant::fromString(names[at - 1]);
  return 0;
}

int iniRenameSection(Interpreter& vm, Variant* a, int count, Variant& r) {
  const std::wstring path = iniPath(a[0]);
  const std::wstring from = wideOf(a[1].stringForm()), to = wideOf(a[2].stringForm());
  std::wstring contents(kSectionBuffer, L'\0');
  const DWORD n = GetPrivateProfileSectionW(from.c_str(), contents.data(), kSectionBuffer, path.c_str());
  if (n == 0) {
    r.setInt32(0);
    return 0;
  }
  wchar_t probe[3] = {};
  const bool targetExists = GetPrivateProfileSectionW(to.c_str(), probe, 3, path.c_str()) > 0;
  if (targetExists && !(count > 3 && a[3].toInt32() > 0)) {
    r.setInt32(0);
    vm.setError(1);
    return 0;
  }
  contents.resize(static_cast<size_t>(n) + 2, L'\0');
  const bool ok = WritePrivateProfileSectionW(to.c_str(), contents.c_str(), path.c_str()) &&
                  WritePrivateProfileStringW(from.c_str(), nullptr, nullptr, path.c_str());
  flush(path);
  r.setInt32(ok);
  return 0;
}

int iniWriteSection(Interpreter& vm, Variant* a, int count, Variant& r) {
  const std::wstring path = iniPath(a[0]);
  std::wstring data;
  const Variant& source = a[2];
  if (source.isArray()) {
    if (source.dimensionCount() != 2 || source.dimensionSize(1) != 2) {
      r.setInt32(0);
      vm.setError(1);
      return 0;
    }
    int32_t first = count > 3 ? a[3].toInt32() : 1;
    if (first < 0) first = 1;
    for (uint32_t row = static_cast<uint32_t>(first); row < source.dimensionSize(0); ++row) {
      uint32_t at[2] = {row, 0};
      const Variant* key = const_cast<Variant&>(source).element(at, 2, false);
      at[1] = 1;
      const Variant* value = const_cast<Variant&>(source).element(at, 2, false);
      data += wideOf(key->stringForm()) + L"=" + wideOf(value->stringForm());
      data += L'\0';
    }
  } else if (source.isString()) {
    const std::wstring text = wideOf(source.asString());
    size_t i = 0;
    while (i < text.size() && text[i] == L'\n') ++i;
    for (; i < text.size(); ++i) data += text[i] == L'\n' ? L'\0' : text[i];
    data += L'\0';
  } else {
    r.setInt32(0);
    vm.setError(1);
    return 0;
  }
  data += L'\0';
  const bool ok = WritePrivateProfileSectionW(wideOf(a[1].stringForm()).c_str(), data.c_str(), path.c_str());
  if (ok) flush(path);
  r.setInt32(ok);
  return 0;
}

}  // namespace

void registerIniBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::INIREAD, iniRead);
  vm.registerBuiltin(BuiltinId::INIWRITE, iniWrite);
  vm.registerBuiltin(BuiltinId::INIDELETE, iniDelete);
  vm.registerBuiltin(BuiltinId::INIREADSECTION, iniReadSection);
  vm.registerBuiltin(BuiltinId::INIREADSECTIONNAMES, iniReadSectionNames);
  vm.registerBuiltin(BuiltinId::INIRENAMESECTION, iniRenameSection);
  vm.registerBuiltin(BuiltinId::INIWRITESECTION, iniWriteSection);
}

}  // namespace vx

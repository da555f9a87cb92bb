// FILEGETVERSION: the fixed file version, the first translation, or one
// string of a file's version resource.
#include <cstdio>
#include <vector>

#include "builtins/files/shell_files.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

constexpr size_t kMaxValueLength = 512;

// The whole resource; empty when the file has none.
std::vector<unsigned char> readVersionResource(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<unsigned char> data(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data())) data.clear();
  return data;
}

// Language and code page of the first translation as 8 hexadecimal digits.
bool firstTranslation(std::vector<unsigned char>& data, wchar_t (&text)[9]) {
  WORD* pair = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pair), &length) ||
      length < 2 * sizeof(WORD))
    return false;
  swprintf(text, 9, L"%04X%04X", pair[0], pair[1]);
  return true;
}

int failWith(Interpreter& vm, Variant& r, const char* text) {
  r.setString(String::fromAscii(text));
  vm.setError(1);
  return 0;
}

}  // namespace

int fileGetVersion(Interpreter& vm, Variant* a, int count, Variant& r) {
  std::vector<unsigned char> data = readVersionResource(wideOf(a[0].stringForm()));
  const bool hasField = argumentGiven(a, count, 1) && !a[1].stringForm().equalsAscii("\\");

  if (!hasField) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (data.empty() || !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        length < sizeof(VS_FIXEDFILEINFO))
      return failWith(vm, r, "0.0.0.0");
    char text[48];
    snprintf(text, sizeof text, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
             HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    r.setString(String::fromAscii(text));
    return 0;
  }
  if (data.empty()) return failWith(vm, r, "");

  const std::wstring field = wideOf(a[1].stringForm());
  wchar_t translation[9] = L"04090000";
  const bool translated = firstTranslation(data, translation);
  if (_wcsicmp(field.c_str(), L"DefaultLangCodepage") == 0) {
    if (!translated) return failWith(vm, r, "");
    r.setString(stringOf(translation));
    return 0;
  }

  // A field with its own backslash names its translation itself.
  std::wstring query = L"\\StringFileInfo\\";
  if (field.find(L'\\') == std::wstring::npos) query += std::wstring(translation) + L"\\";
  query += field;
  wchar_t* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
    return failWith(vm, r, "");
  // The length may count the terminating zero; the text ends at the first one.
  size_t n = 0;
  while (n < length && n < kMaxValueLength && value[n]) ++n;
  r.setString(stringOf(value, n));
  return 0;
}

}  // namespace vx

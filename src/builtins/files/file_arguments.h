// How the file built-ins take their arguments: text crosses to Win32 as wide
// strings (UTF-16 on both sides, so only the type changes), and optional
// arguments count as given unless left off or passed as Default.
#pragma once

#include <cwchar>
#include <string>

#include "values/string.h"
#include "values/variant.h"

namespace vx {

inline std::wstring wideOf(const String& text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.length());
}
inline std::wstring wideOf(const Variant& value) { return wideOf(value.stringForm()); }

inline String stringOf(const wchar_t* text, size_t n) { return String(reinterpret_cast<const char16_t*>(text), n); }
inline String stringOf(const wchar_t* text) { return stringOf(text, wcslen(text)); }
inline String stringOf(const std::wstring& text) { return stringOf(text.data(), text.size()); }

// The 1-or-0 result most file built-ins give.
inline int flagResult(Variant& r, bool ok) {
  r.setInt32(ok ? 1 : 0);
  return 0;
}

inline bool argumentGiven(const Variant* a, int count, int index) { return count > index && !a[index].isDefault(); }

}  // namespace vx

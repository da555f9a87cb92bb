#include <windows.h>

#include <string>

#include "platform/environment.h"

namespace vx::platform {

bool readEnvironmentVariable(const String& name, String& value) {
  std::wstring key(reinterpret_cast<const wchar_t*>(name.data()), name.length());
  if (key.empty() || key.find(L'\0') != std::wstring::npos) return false;
  // The first call may be too small; the second is given the size asked for,
  // and the loop covers a value that grew between the two.
  std::wstring buffer(256, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableW(key.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value = String();
      return true;
    }
    if (n < buffer.size()) {
      value = String(reinterpret_cast<const char16_t*>(buffer.data()), n);
      return true;
    }
    buffer.assign(n, L'\0');
  }
}

}  // namespace vx::platform

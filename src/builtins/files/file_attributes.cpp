// Sizes, attribute letters and times of files and directories, read for one
// path and changed for every match of a pattern, optionally through a tree.
//
// Times are shown and given in local time as 14 digits (yyyyMMddhhmmss).
// Changing works in the pattern's directory as the current directory and
// always puts the caller's current directory back before it returns.
#include <windows.h>

#include <cstdio>
#include <functional>

#include "builtins/files/file_paths.h"
#include "builtins/files/file_system.h"

namespace vx {

namespace {

struct AttributeLetter {
  char letter;
  DWORD bit;
};

// The order FILEGETATTRIB reports them in.
constexpr AttributeLetter kAttributeLetters[] = {
    {'R', FILE_ATTRIBUTE_READONLY}, {'A', FILE_ATTRIBUTE_ARCHIVE},  {'S', FILE_ATTRIBUTE_SYSTEM},
    {'H', FILE_ATTRIBUTE_HIDDEN},   {'N', FILE_ATTRIBUTE_NORMAL},   {'D', FILE_ATTRIBUTE_DIRECTORY},
    {'O', FILE_ATTRIBUTE_OFFLINE},  {'C', FILE_ATTRIBUTE_COMPRESSED}, {'T', FILE_ATTRIBUTE_TEMPORARY},
};

constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_TEMPORARY;

enum class TimeKind : int { Modified = 0, Created = 1, Accessed = 2 };

int missing(Interpreter& vm, Variant& r) {
  r.setString(String());
  vm.setError(1);
  return 0;
}

bool attributesOf(const std::wstring& path, DWORD& attributes) {
  attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return true;
  FindHandle search(path);
  if (!search.found()) return false;
  attributes = search.data().dwFileAttributes;
  return true;
}

const FILETIME& timeOfKind(const WIN32_FIND_DATAW& data, TimeKind kind) {
  if (kind == TimeKind::Created) return data.ftCreationTime;
  if (kind == TimeKind::Accessed) return data.ftLastAccessTime;
  return data.ftLastWriteTime;
}

// The local time a text gives: the year and then, optionally, month, day,
// hour, minute and second; what is left off keeps the current local time's
// value. An empty text is now.
bool parseLocalTime(const String& text, FILETIME& out) {
  SYSTEMTIME local;
  GetLocalTime(&local);
  const size_t length = text.length();
  if (length > 0) {
    if (length < 4 || length > 14 || (length - 4) % 2 != 0) return false;
    for (size_t i = 0; i < length; ++i)
      if (text[i] < u'0' || text[i] > u'9') return false;
    auto digits = [&](size_t at, size_t n) {
      WORD value = 0;
      for (size_t i = at; i < at + n; ++i) value = static_cast<WORD>(value * 10 + (text[i] - u'0'));
      return value;
    };
    local.wYear = digits(0, 4);
    WORD* fields[5] = {&local.wMonth, &local.wDay, &local.wHour, &local.wMinute, &local.wSecond};
    for (size_t field = 0; 4 + field * 2 < length; ++field) *fields[field] = digits(4 + field * 2, 2);
    local.wMilliseconds = 0;
  }
  // Converting the local form first rejects impossible dates such as 20240230.
  FILETIME check;
  SYSTEMTIME universal;
  return SystemTimeToFileTime(&local, &check) && TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal) &&
         SystemTimeToFileTime(&universal, &out);
}

// Puts the caller's current directory back when it goes out of scope.
class CurrentDirectoryKeeper {
 public:
  CurrentDirectoryKeeper() {
    wchar_t buffer[kMaxPathLength + 1];
    const DWORD n = GetCurrentDirectoryW(kMaxPathLength + 1, buffer);
    if (n > 0 && n <= kMaxPathLength) saved_.assign(buffer, n);
  }
  ~CurrentDirectoryKeeper() {
    if (!saved_.empty()) SetCurrentDirectoryW(saved_.c_str());
  }
  CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
  CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

 private:
  std::wstring saved_;
};

// One change to one name (relative to the current directory or full).
using Change = std::function<bool(const std::wstring& name, DWORD attributes)>;

bool changeHere(const std::wstring& pattern, bool recurse, const Change& change, bool& changed) {
  std::vector<FoundName> names;
  DWORD error = 0;
  if (findNames(pattern, names, error)) {
    for (const FoundName& found : names) {
      if (!change(found.name, found.attributes)) return false;
      changed = true;
    }
  }
  if (!recurse || !findNames(L"*", names, error)) return true;
  for (const FoundName& found : names) {
    if (!(found.attributes & FILE_ATTRIBUTE_DIRECTORY) || (found.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    if (!SetCurrentDirectoryW(found.name.c_str())) return false;
    const bool ok = changeHere(pattern, recurse, change, changed);
    if (!SetCurrentDirectoryW(L"..") || !ok) return false;
  }
  return true;
}

bool changeMatches(const Variant& patternArgument, bool recurse, const Change& change) {
  std::wstring full;
  if (!makeFullPath(wideOf(patternArgument), full)) return false;
  CurrentDirectoryKeeper keeper;
  const std::wstring directory = directoryPart(full);
  std::wstring pattern = full.substr(directory.size());
  if (!directory.empty() && !SetCurrentDirectoryW(directory.c_str())) return false;
  if (isDirectory(full)) {
    if (!change(full, GetFileAttributesW(full.c_str()))) return false;
    if (!recurse) return true;
    if (!SetCurrentDirectoryW(full.c_str())) return false;
    pattern = L"*.*";
  }
  bool changed = false;
  if (!changeHere(pattern, recurse, change, changed)) return false;
  return recurse || changed;
}

bool setTime(const std::wstring& name, TimeKind kind, const FILETIME& time) {
  // Backup semantics open directories as well as files.
  UniqueHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return false;
  const FILETIME* slot = &time;
  return SetFileTime(file.get(), kind == TimeKind::Created ? slot : nullptr, kind == TimeKind::Accessed ? slot : nullptr,
                     kind == TimeKind::Modified ? slot : nullptr) != 0;
}

DWORD withChanges(DWORD old, DWORD add, DWORD remove) {
  DWORD attributes = ((old | add) & ~remove) & kSettableAttributes;
  // "Normal" means no other attribute and is valid only alone.
  if (attributes & ~FILE_ATTRIBUTE_NORMAL) attributes &= ~FILE_ATTRIBUTE_NORMAL;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

}  // namespace

int fileGetSize(Interpreter& vm, Variant* a, int, Variant& r) {
  std::wstring path;
  if (makeFullPath(wideOf(a[0]), path)) {
    FindHandle search(path);
    if (search.found()) {
      r.setInt64(sizeOf(search.data()));
      return 0;
    }
  }
  r.setInt32(0);
  vm.setError(1);
  return 0;
}

int fileGetAttrib(Interpreter& vm, Variant* a, int, Variant& r) {
  DWORD attributes = 0;
  if (!attributesOf(wideOf(a[0]), attributes)) return missing(vm, r);
  String letters;
  for (const AttributeLetter& entry : kAttributeLetters)
    if (attributes & entry.bit) letters.append(static_cast<char16_t>(entry.letter));
  r.setString(letters);
  return 0;
}

int fileSetAttrib(Interpreter&, Variant* a, int count, Variant& r) {
  const String changes = a[1].stringForm();
  DWORD add = 0, remove = 0;
  bool adding = true;
  for (size_t i = 0; i < changes.length(); ++i) {
    const char16_t c = changes[i];
    if (c == u'+' || c == u'-') {
      adding = c == u'+';
      continue;
    }
    const char16_t upper = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    DWORD bit = 0;
    for (const AttributeLetter& entry : kAttributeLetters)
      if (upper == static_cast<char16_t>(entry.letter) && (entry.bit & kSettableAttributes)) bit = entry.bit;
    if (bit == 0) return flagResult(r, false);
    (adding ? add : remove) |= bit;
  }
  const bool recurse = argumentGiven(a, count, 2) && a[2].truth();
  return flagResult(r, changeMatches(a[0], recurse, [&](const std::wstring& name, DWORD old) {
    return SetFileAttributesW(name.c_str(), withChanges(old, add, remove)) != 0;
  }));
}

int fileGetTime(Interpreter& vm, Variant* a, int count, Variant& r) {
  std::wstring path;
  if (!makeFullPath(wideOf(a[0]), path)) return missing(vm, r);
  FindHandle search(path);
  if (!search.found()) return missing(vm, r);
  const int32_t kindValue = argumentGiven(a, count, 1) ? a[1].toInt32() : 0;
  const TimeKind kind = kindValue == 1 ? TimeKind::Created : kindValue == 2 ? TimeKind::Accessed : TimeKind::Modified;
  SYSTEMTIME universal, local;
  if (!FileTimeToSystemTime(&timeOfKind(search.data(), kind), &universal) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
    return missing(vm, r);
  char text[32];
  std::snprintf(text, sizeof text, "%4d%02d%02d%02d%02d%02d", local.wYear, local.wMonth, local.wDay, local.wHour,
                local.wMinute, local.wSecond);
  const String digits = String::fromAscii(text);
  if (argumentGiven(a, count, 2) && a[2].toInt32() == 1) {
    r.setString(digits);
    return 0;
  }
  const uint32_t size = 6;
  r.dimension(&size, 1);
  for (uint32_t i = 0; i < size; ++i) {
    const size_t at = i == 0 ? 0 : 2 + i * 2;
    *r.element(&i, 1, true) = Variant::fromString(digits.substr(at, i == 0 ? 4 : 2));
  }
  return 0;
}

int fileSetTime(Interpreter&, Variant* a, int count, Variant& r) {
  FILETIME time;
  if (!parseLocalTime(a[1].stringForm(), time)) return flagResult(r, false);
  const int32_t kindValue = argumentGiven(a, count, 2) ? a[2].toInt32() : 0;
  const TimeKind kind = kindValue >= 0 && kindValue <= 2 ? static_cast<TimeKind>(kindValue) : TimeKind::Modified;
  const bool recurse = argumentGiven(a, count, 3) && a[3].truth();
  return flagResult(r, changeMatches(a[0], recurse,
                                 [&](const std::wstring& name, DWORD) { return setTime(name, kind, time); }));
}

}  // namespace vx

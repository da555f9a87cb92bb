// FILECREATENTFSLINK (hard links for files, junctions for directories) and
// the shell shortcuts FILECREATESHORTCUT and FILEGETSHORTCUT.
#include "builtins/files/shell_files.h"

#include <winioctl.h>

#include <cstring>
#include <cwctype>
#include <vector>

#include "builtins/files/shortcut_hotkey.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

bool fileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
  UniqueHandle h(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return h.valid() && GetFileInformationByHandle(h.get(), &info);
}

bool sameFile(const std::wstring& a, const std::wstring& b) {
  BY_HANDLE_FILE_INFORMATION x, y;
  return fileIdentity(a, x) && fileIdentity(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

// Replacing an existing link: the new link is made beside it first and then
// moved over it, so a link that cannot be made leaves the old file in place.
// A link that already names the source's file is left as it is (it could be
// the source itself, which deleting would destroy).
bool replaceHardLink(const std::wstring& source, const std::wstring& link) {
  if (sameFile(source, link)) return true;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring temporary = link + L".vxlink" + std::to_wstring(attempt);
    if (!CreateHardLinkW(temporary.c_str(), source.c_str(), nullptr)) {
      if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
      return false;
    }
    if (MoveFileExW(temporary.c_str(), link.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileW(temporary.c_str());
    return false;
  }
  return false;
}

// A mount-point reparse point on an empty directory: the substitute name in
// the object manager's form "\??\C:\dir", the print name as the user wrote it.
bool createJunction(const std::wstring& target, const std::wstring& link) {
  const std::wstring substitute = L"\\??\\" + target;
  const size_t substituteBytes = substitute.size() * sizeof(wchar_t);
  const size_t printBytes = target.size() * sizeof(wchar_t);
  // Tag, data length, reserved; then four name offsets and lengths; then the
  // two zero-terminated names.
  const size_t dataLength = 4 * sizeof(WORD) + substituteBytes + printBytes + 2 * sizeof(wchar_t);
  if (dataLength > MAXIMUM_REPARSE_DATA_BUFFER_SIZE - 8) return false;
  std::vector<unsigned char> buffer(8 + dataLength, 0);
  auto putWord = [&](size_t at, size_t value) {
    const WORD w = static_cast<WORD>(value);
    memcpy(&buffer[at], &w, sizeof w);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  memcpy(&buffer[0], &tag, sizeof tag);
  putWord(4, dataLength);
  putWord(8, 0);
  putWord(10, substituteBytes);
  putWord(12, substituteBytes + sizeof(wchar_t));
  putWord(14, printBytes);
  memcpy(&buffer[16], substitute.data(), substituteBytes);
  memcpy(&buffer[16 + substituteBytes + sizeof(wchar_t)], target.data(), printBytes);

  if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
  bool done = false;
  {
    UniqueHandle h(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    DWORD returned = 0;
    done = h.valid() && DeviceIoControl(h.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                                        static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
  }
  if (!done) RemoveDirectoryW(link.c_str());
  return done;
}

// The shortcut file a name means: ".lnk" added unless the name has it.
std::wstring shortcutPath(const Variant& name) {
  std::wstring path = wideOf(name.stringForm());
  std::wstring lower = path;
  for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
  if (lower.find(L".lnk") == std::wstring::npos) path += L".lnk";
  return fullPathOrAsGiven(path);
}

// The link's hot-key word: virtual key low, modifier bits high. Zero when
// the text names no key the keyboard can type.
WORD hotKeyWord(const String& text) {
  SingleKey key = parseSingleKey(text);
  if (!key.found) return 0;
  BYTE virtualKey = key.virtualKey;
  if (!key.named) {
    const SHORT mapped = key.character ? VkKeyScanW(key.character) : -1;
    if (mapped == -1) return 0;
    virtualKey = LOBYTE(mapped);
    key.shift |= (mapped & 0x100) != 0;
    key.control |= (mapped & 0x200) != 0;
    key.alt |= (mapped & 0x400) != 0;
  }
  BYTE modifiers = (key.shift ? HOTKEYF_SHIFT : 0) | (key.control ? HOTKEYF_CONTROL : 0) | (key.alt ? HOTKEYF_ALT : 0);
  // A shortcut key on its own would steal a plain key from every program.
  if (!key.control && !key.alt) modifiers |= HOTKEYF_CONTROL | HOTKEYF_ALT;
  return MAKEWORD(virtualKey, modifiers);
}

bool createShellLink(shell::ComPtr<IShellLinkW>& link) {
  return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.outVoid()));
}

// An optional argument left empty counts as not given where a value of 0
// would mean something else (show state 0 hides the window).
bool givenNumber(const Variant* a, int count, int index) {
  return argumentGiven(a, count, index) && !(a[index].isString() && a[index].asString().empty());
}

}  // namespace

int fileCreateNtfsLink(Interpreter&, Variant* a, int count, Variant& r) {
  const std::wstring source = fullPathOrAsGiven(wideOf(a[0].stringForm()));
  const std::wstring link = fullPathOrAsGiven(wideOf(a[1].stringForm()));
  const DWORD attributes = GetFileAttributesW(source.c_str());
  bool done;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    done = createJunction(source, link);
  } else {
    done = CreateHardLinkW(link.c_str(), source.c_str(), nullptr);
    if (!done && GetLastError() == ERROR_ALREADY_EXISTS && argumentGiven(a, count, 2) && a[2].toInt32() == 1)
      done = replaceHardLink(source, link);
  }
  r.setInt32(done ? 1 : 0);
  return 0;
}

int fileCreateShortcut(Interpreter&, Variant* a, int count, Variant& r) {
  r.setInt32(0);
  shell::ComApartment com;
  shell::ComPtr<IShellLinkW> link;
  if (!createShellLink(link)) return 0;
  auto text = [&](int index) { return wideOf(a[index].stringForm()); };
  if (FAILED(link->SetPath(text(0).c_str()))) return 0;
  if (argumentGiven(a, count, 2) && FAILED(link->SetWorkingDirectory(text(2).c_str()))) return 0;
  if (argumentGiven(a, count, 3) && FAILED(link->SetArguments(text(3).c_str()))) return 0;
  if (argumentGiven(a, count, 4) && FAILED(link->SetDescription(text(4).c_str()))) return 0;
  const bool hasIcon = argumentGiven(a, count, 5);
  if (hasIcon && FAILED(link->SetIconLocation(text(5).c_str(), 0))) return 0;
  if (argumentGiven(a, count, 6)) {
    const WORD hotKey = hotKeyWord(a[6].stringForm());
    if (hotKey && FAILED(link->SetHotkey(hotKey))) return 0;
  }
  if (hasIcon && givenNumber(a, count, 7) && FAILED(link->SetIconLocation(text(5).c_str(), a[7].toInt32()))) return 0;
  if (givenNumber(a, count, 8) && FAILED(link->SetShowCmd(a[8].toInt32()))) return 0;
  shell::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.outVoid()))) return 0;
  r.setInt32(SUCCEEDED(file->Save(shortcutPath(a[1]).c_str(), TRUE)) ? 1 : 0);
  return 0;
}

int fileGetShortcut(Interpreter& vm, Variant* a, int, Variant& r) {
  vm.setError(1);
  r.setString(String());
  const std::wstring path = shortcutPath(a[0]);
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
  shell::ComApartment com;
  shell::ComPtr<IShellLinkW> link;
  shell::ComPtr<IPersistFile> file;
  if (!createShellLink(link) || FAILED(link->QueryInterface(IID_IPersistFile, file.outVoid())) ||
      FAILED(file->Load(path.c_str(), STGM_READ)))
    return 0;

  constexpr int kTextUnits = 32768;  // arguments and descriptions may be long
  std::vector<wchar_t> buffer(kTextUnits);
  auto read = [&](auto get) {
    buffer[0] = L'\0';
    get(buffer.data(), kTextUnits);
    buffer[kTextUnits - 1] = L'\0';
    return Variant::fromString(stringOf(buffer.data()));
  };
  Variant items[7];
  items[0] = read([&](wchar_t* b, int n) { link->GetPath(b, n, nullptr, 0); });
  items[1] = read([&](wchar_t* b, int n) { link->GetWorkingDirectory(b, n); });
  items[2] = read([&](wchar_t* b, int n) { link->GetArguments(b, n); });
  items[3] = read([&](wchar_t* b, int n) { link->GetDescription(b, n); });
  int iconIndex = 0;
  items[4] = read([&](wchar_t* b, int n) { link->GetIconLocation(b, n, &iconIndex); });
  items[5] = Variant::fromInt32(iconIndex);
  int show = 0;
  link->GetShowCmd(&show);
  items[6] = Variant::fromInt32(show);

  uint32_t size = 7;
  if (!r.dimension(&size, 1)) return 0;
  for (uint32_t i = 0; i < size; ++i) *r.elementAtLinear(i, true) = items[i];
  vm.setError(0);
  return 0;
}

}  // namespace vx

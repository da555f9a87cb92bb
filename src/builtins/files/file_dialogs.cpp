// FILEOPENDIALOG, FILESAVEDIALOG and FILESELECTFOLDER: the standard dialogs,
// modal to the given owner. Cancel and failure look the same to a script.
#include "builtins/files/shell_files.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "engine/interpreter.h"

namespace vx {

namespace {

constexpr DWORD kFileBufferUnits = 65535;

// "Text (*.txt)|All (*.*)" as the dialog's list of description and pattern
// pairs, each zero-terminated, the list ending in an extra zero. False when a
// part has no pattern in parentheses.
bool buildFilter(const std::wstring& text, std::wstring& filter) {
  size_t start = 0;
  for (;;) {
    const size_t bar = text.find(L'|', start);
    const std::wstring part = text.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start);
    const size_t open = part.find(L'(');
    const size_t close = open == std::wstring::npos ? std::wstring::npos : part.find(L')', open + 1);
    if (close == std::wstring::npos) return false;
    filter += part;
    filter += L'\0';
    filter += part.substr(open + 1, close - open - 1);
    filter += L'\0';
    if (bar == std::wstring::npos) break;
    start = bar + 1;
  }
  filter += L'\0';
  return true;
}

DWORD fileDialogFlags(const Variant* a, int count) {
  DWORD flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  const int32_t options = argumentGiven(a, count, 3) ? a[3].toInt32() : 0;
  if (options < 0 || options > 31) return flags;
  if (options & 1) flags |= OFN_FILEMUSTEXIST;
  if (options & 2) flags |= OFN_PATHMUSTEXIST;
  if (options & 4) flags |= OFN_ALLOWMULTISELECT;
  if (options & 8) flags |= OFN_CREATEPROMPT;
  if (options & 16) flags |= OFN_OVERWRITEPROMPT;
  return flags;
}

// The buffer holds one path, or with several files chosen the directory and
// then each name, zero-separated: those become "dir|a|b".
String chosenFiles(const std::vector<wchar_t>& buffer) {
  std::wstring result = buffer.data();
  for (size_t at = result.size() + 1; at < buffer.size() && buffer[at]; ) {
    const std::wstring name = &buffer[at];
    result += L'|';
    result += name;
    at += name.size() + 1;
  }
  return stringOf(result);
}

int fileDialog(Interpreter& vm, Variant* a, int count, Variant& r, bool save) {
  r.setString(String());
  std::wstring filter;
  if (!buildFilter(wideOf(a[2].stringForm()), filter)) {
    vm.setError(2);
    return 0;
  }
  const std::wstring title = wideOf(a[0].stringForm()), directory = wideOf(a[1].stringForm());
  std::vector<wchar_t> buffer(kFileBufferUnits + 1, L'\0');
  if (argumentGiven(a, count, 4)) {
    const std::wstring initial = wideOf(a[4].stringForm());
    initial.copy(buffer.data(), std::min<size_t>(initial.size(), kFileBufferUnits - 1));
  }

  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = shell::windowArgument(a, count, 5);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = kFileBufferUnits;
  dialog.lpstrInitialDir = directory.c_str();
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = fileDialogFlags(a, count);

  shell::ComApartment com;  // the explorer-style dialog hosts shell views
  if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) {
    vm.setError(1);
    return 0;
  }
  r.setString(chosenFiles(buffer));
  return 0;
}

struct FolderDialogStart {
  std::wstring selection;
};

int CALLBACK folderDialogEvent(HWND dialog, UINT message, LPARAM, LPARAM data) {
  const auto* start = reinterpret_cast<const FolderDialogStart*>(data);
  if (message == BFFM_INITIALIZED && !start->selection.empty())
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start->selection.c_str()));
  return 0;
}

}  // namespace

int fileOpenDialog(Interpreter& vm, Variant* a, int count, Variant& r) { return fileDialog(vm, a, count, r, false); }

int fileSaveDialog(Interpreter& vm, Variant* a, int count, Variant& r) { return fileDialog(vm, a, count, r, true); }

int fileSelectFolder(Interpreter& vm, Variant* a, int count, Variant& r) {
  r.setString(String());
  shell::ComApartment com;
  const std::wstring text = wideOf(a[0].stringForm()), rootName = wideOf(a[1].stringForm());
  shell::ItemIdList root;
  if (!rootName.empty()) shell::parseDisplayName(rootName, root);
  FolderDialogStart start;
  if (argumentGiven(a, count, 3)) start.selection = wideOf(a[3].stringForm());

  const int32_t flag = argumentGiven(a, count, 2) ? a[2].toInt32() : 0;
  UINT flags = (flag & 1) ? BIF_NEWDIALOGSTYLE : BIF_NONEWFOLDERBUTTON;
  if (flag & 2) flags |= BIF_NEWDIALOGSTYLE;
  if (flag & 4) flags |= BIF_EDITBOX;

  wchar_t displayName[MAX_PATH] = L"";
  BROWSEINFOW browse = {};
  browse.hwndOwner = shell::windowArgument(a, count, 4);
  browse.pidlRoot = root.get();
  browse.pszDisplayName = displayName;
  browse.lpszTitle = text.c_str();
  browse.ulFlags = flags;
  browse.lpfn = folderDialogEvent;
  browse.lParam = reinterpret_cast<LPARAM>(&start);

  shell::ItemIdList chosen(SHBrowseForFolderW(&browse));
  if (!chosen.get()) {
    vm.setError(1);
    return 0;
  }
  wchar_t path[MAX_PATH];
  r.setString(SHGetPathFromIDListW(chosen.get(), path) ? stringOf(path) : stringOf(displayName));
  return 0;
}

}  // namespace vx

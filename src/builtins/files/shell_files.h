// Shared by the shell-served file functions: their handlers, text and path
// conversions, and owners for COM pointers, the COM apartment and item-id
// lists, so that no early return leaks one.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "builtins/files/file_arguments.h"
#include "builtins/files/file_paths.h"

namespace vx {

class Interpreter;

int fileGetVersion(Interpreter& vm, Variant* a, int count, Variant& r);
int fileGetShortName(Interpreter& vm, Variant* a, int count, Variant& r);
int fileGetLongName(Interpreter& vm, Variant* a, int count, Variant& r);
int fileCreateNtfsLink(Interpreter& vm, Variant* a, int count, Variant& r);
int fileCreateShortcut(Interpreter& vm, Variant* a, int count, Variant& r);
int fileGetShortcut(Interpreter& vm, Variant* a, int count, Variant& r);
int fileOpenDialog(Interpreter& vm, Variant* a, int count, Variant& r);
int fileSaveDialog(Interpreter& vm, Variant* a, int count, Variant& r);
int fileSelectFolder(Interpreter& vm, Variant* a, int count, Variant& r);

namespace shell {

// A window handle given by a script: a Ptr, or a number for callers that
// kept one as an integer.
inline HWND windowArgument(const Variant* args, int count, int index) {
  if (!argumentGiven(args, count, index)) return nullptr;
  const Variant& v = args[index];
  return reinterpret_cast<HWND>(v.isPtr() ? v.ptrValue() : static_cast<uintptr_t>(v.toInt64()));
}

// COM for the length of one call. Only a successful initialisation is
// undone: a thread already in another apartment keeps it.
class ComApartment {
 public:
  ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** out() {
    reset();
    return &p_;
  }
  void** outVoid() { return reinterpret_cast<void**>(out()); }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

// An item-id list the shell allocated for us.
class ItemIdList {
 public:
  ItemIdList() = default;
  explicit ItemIdList(LPITEMIDLIST list) : list_(list) {}
  ~ItemIdList() { CoTaskMemFree(list_); }
  ItemIdList(const ItemIdList&) = delete;
  ItemIdList& operator=(const ItemIdList&) = delete;

  LPITEMIDLIST get() const { return list_; }
  LPITEMIDLIST* out() {
    CoTaskMemFree(list_);
    list_ = nullptr;
    return &list_;
  }

 private:
  LPITEMIDLIST list_ = nullptr;
};

// The desktop folder's parse of a display name; empty on failure. COM must
// be initialised by the caller.
inline bool parseDisplayName(const std::wstring& name, ItemIdList& list) {
  ComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.out()))) return false;
  std::wstring text = name;  // ParseDisplayName wants a writable string
  return SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, list.out(), nullptr)) &&
         list.get() != nullptr;
}

}  // namespace shell

}  // namespace vx

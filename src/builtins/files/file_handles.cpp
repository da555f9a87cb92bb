// FILEOPEN and the functions that read, write and move within an open file.
// A String in place of a handle names a file that is opened for that one call
// and closed before it returns. None of these stops the script: failures are
// results and @error values.
#include <windows.h>

#include <memory>
#include <string>

#include "builtins/files/file_arguments.h"
#include "builtins/files/file_table.h"
#include "builtins/files/file_text.h"
#include "builtins/registry.h"
#include "engine/interpreter.h"
#include "platform/file.h"
#include "platform/platform.h"
#include "values/binary_text.h"

namespace vx {

namespace {

using platform::SeekOrigin;

FileHandleTable& handleTable(Interpreter& vm) {
  if (!vm.fileHandles) vm.fileHandles = std::make_unique<FileHandleTable>();
  return *vm.fileHandles;
}

HandleEntry* findEntry(Interpreter& vm, const Variant& handle) {
  if (!handle.isNumber() || !vm.fileHandles) return nullptr;
  return vm.fileHandles->find(handle.toInt64());
}

TextFile* findFile(Interpreter& vm, const Variant& handle) {
  HandleEntry* entry = findEntry(vm, handle);
  return entry && entry->kind() == HandleKind::File ? static_cast<TextFile*>(entry) : nullptr;
}

// The file a call works on: a handle's file, or one opened by name for the
// call alone (closed when this goes out of scope).
class FileArgument {
 public:
  FileArgument(Interpreter& vm, const Variant& file, int mode) {
    if (!file.isString()) {
      file_ = findFile(vm, file);
      return;
    }
    own_ = std::make_unique<TextFile>();
    if (own_->open(file.asString(), mode)) file_ = own_.get();
  }
  TextFile* get() const { return file_; }

 private:
  std::unique_ptr<TextFile> own_;
  TextFile* file_ = nullptr;
};

String fromCodePage(unsigned codePage, const std::string& bytes) {
  if (bytes.empty()) return String();
  const int size = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (units <= 0) return String();
  String text;
  text.resize(static_cast<size_t>(units));
  MultiByteToWideChar(codePage, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.mutableData()), units);
  return text;
}

std::string toUtf8(const String& text) {
  if (text.empty()) return std::string();
  const wchar_t* units = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.length());
  const int size = WideCharToMultiByte(CP_UTF8, 0, units, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, units, length, &bytes[0], size, nullptr, nullptr);
  return bytes;
}

// Appends the text's bytes in the file's encoding; ASCII text in a byte
// encoding is copied straight across (every ANSI code page and UTF-8 agree
// on it), which is what most lines are.
void appendEncoded(const String& text, TextEncoding encoding, std::string& out) {
  const char16_t* units = text.data();
  const size_t length = text.length();
  if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be) {
    const bool big = encoding == TextEncoding::Utf16Be;
    out.reserve(out.size() + length * 2);
    for (size_t i = 0; i < length; ++i) {
      const char low = static_cast<char>(units[i] & 0xFF), high = static_cast<char>(units[i] >> 8);
      out.push_back(big ? high : low);
      out.push_back(big ? low : high);
    }
    return;
  }
  char16_t any = 0;
  for (size_t i = 0; i < length; ++i) any |= units[i];
  if (any < 0x80) {
    const size_t start = out.size();
    out.resize(start + length);
    for (size_t i = 0; i < length; ++i) out[start + i] = static_cast<char>(units[i]);
  } else out += encoding == TextEncoding::Utf8 ? toUtf8(text) : platform::utf16ToAnsi(text);
}

void appendLineEnd(TextEncoding encoding, std::string& out) {
  if (encoding == TextEncoding::Utf16Le) out.append("\r\0\n\0", 4);
  else if (encoding == TextEncoding::Utf16Be) out.append("\0\r\0\n", 4);
  else out.append("\r\n", 2);
}

String decodeUnits(const std::string& bytes, bool bigEndian) {
  String text;
  if (bytes.size() < 2) return text;
  text.resize(bytes.size() / 2);
  char16_t* out = text.mutableData();
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned char a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    out[i / 2] = bigEndian ? static_cast<char16_t>(a << 8 | b) : static_cast<char16_t>(a | b << 8);
  }
  return text;
}

int fail(Interpreter& vm, Variant& r, int error) {
  r.setString(String());
  vm.setError(error);
  return 0;
}

int fileOpen(Interpreter& vm, Variant* a, int count, Variant& r) {
  const String name = a[0].stringForm();
  int mode = argumentGiven(a, count, 1) ? a[1].toInt32() : 0;
  if ((mode & kFileCreatePath) && (mode & (kFileAppend | kFileErase))) {
    // The drive and directory part, without a trailing separator unless it
    // is a root such as "C:\".
    size_t cut = name.length();
    while (cut > 0 && !platform::isPathSeparator(name[cut - 1]) && name[cut - 1] != u':') --cut;
    if (cut > 1 && platform::isPathSeparator(name[cut - 1]) && name[cut - 2] != u':') --cut;
    const String directory(name.data(), cut);
    uint32_t error = 0;
    if (!directory.empty() && !platform::directoryExists(directory) &&
        !platform::createDirectories(directory, error)) {
      r.setInt32(-1);
      vm.setExtended(static_cast<int32_t>(error));
      return 0;
    }
  }
  mode &= ~kFileCreatePath;
  auto file = std::make_unique<TextFile>();
  if (!file->open(name, mode)) {
    r.setInt32(-1);
    vm.setExtended(static_cast<int32_t>(file->lastError()));
    return 0;
  }
  r.setInt32(handleTable(vm).add(std::move(file)));
  return 0;
}

int fileClose(Interpreter& vm, Variant* a, int, Variant& r) {
  const bool closed = findEntry(vm, a[0]) && vm.fileHandles->remove(a[0].toInt64());
  r.setInt32(closed ? 1 : 0);
  return 0;
}

int fileRead(Interpreter& vm, Variant* a, int count, Variant& r) {
  FileArgument argument(vm, a[0], 0);
  TextFile* file = argument.get();
  if (!file) return fail(vm, r, 1);
  const bool toEnd = !argumentGiven(a, count, 1) || a[1].toInt64() < 0;
  if (file->isBinary() && argumentGiven(a, count, 1) && a[1].toInt64() < 0) return fail(vm, r, 1);
  const int64_t remaining = file->remainingBytes();
  const bool units16 = !file->isBinary() && (file->encoding() == TextEncoding::Utf16Le ||
                                             file->encoding() == TextEncoding::Utf16Be);
  int64_t wanted = remaining;
  if (!toEnd) {
    const int64_t requested = a[1].toInt64();
    if (requested == 0) {
      if (file->isBinary()) r.setBinary(nullptr, 0);
      else r.setString(String());
      return 0;
    }
    // Capped by what is there, so a huge count allocates nothing extra.
    const int64_t bytes = units16 && requested <= INT64_MAX / 2 ? requested * 2 : requested;
    if (bytes < wanted) wanted = bytes;
  }
  std::string bytes;
  file->readBytes(static_cast<size_t>(wanted), bytes);
  if (bytes.empty() || (units16 && bytes.size() < 2)) return fail(vm, r, -1);
  if (file->isBinary()) {
    r.setBinary(bytes.data(), bytes.size());
    vm.setExtended(static_cast<int32_t>(bytes.size()));
  } else if (units16) {
    r.setString(decodeUnits(bytes, file->encoding() == TextEncoding::Utf16Be));
    vm.setExtended(static_cast<int32_t>(bytes.size() / 2));
  } else {
    r.setString(file->encoding() == TextEncoding::Utf8 ? fromCodePage(CP_UTF8, bytes)
                                                      : platform::ansiToUtf16(bytes.data(), bytes.size()));
    vm.setExtended(static_cast<int32_t>(bytes.size()));
  }
  return 0;
}

int fileReadLine(Interpreter& vm, Variant* a, int count, Variant& r) {
  FileArgument argument(vm, a[0], 0);
  TextFile* file = argument.get();
  if (!file) return fail(vm, r, 1);
  String line;
  if (!argumentGiven(a, count, 1)) {
    if (!file->readLine(line)) return fail(vm, r, -1);
    r.setString(line);
    return 0;
  }
  const int64_t wanted = a[1].toInt64();
  if (wanted <= 0 && wanted != -1) return fail(vm, r, 1);
  file->rewindToText();
  if (wanted == -1) {
    String last;
    while (file->readLine(line)) last = line;
    r.setString(last);
    return 0;
  }
  for (int64_t n = 0; n < wanted; ++n)
    if (!file->readLine(line)) return fail(vm, r, -1);
  r.setString(line);
  return 0;
}

int writeData(Interpreter& vm, Variant* a, Variant& r, bool lineEnd) {
  FileArgument argument(vm, a[0], kFileAppend);
  TextFile* file = argument.get();
  if (!file || !file->isWritable()) {
    r.setInt32(0);
    return 0;
  }
  std::string& bytes = file->scratch();
  bytes.clear();
  if (a[1].isBinary() || file->isBinary()) {
    bytes = bytesOfValue(a[1]);
  } else {
    const String text = a[1].stringForm();
    appendEncoded(text, file->encoding(), bytes);
    const size_t n = text.length();
    if (lineEnd && (n == 0 || (text[n - 1] != u'\r' && text[n - 1] != u'\n')))
      appendLineEnd(file->encoding(), bytes);
  }
  r.setInt32(file->write(bytes.data(), bytes.size()) ? 1 : 0);
  return 0;
}

int fileWrite(Interpreter& vm, Variant* a, int, Variant& r) { return writeData(vm, a, r, false); }
int fileWriteLine(Interpreter& vm, Variant* a, int, Variant& r) { return writeData(vm, a, r, true); }

int fileGetPos(Interpreter& vm, Variant* a, int, Variant& r) {
  TextFile* file = findFile(vm, a[0]);
  if (!file) {
    r.setInt32(0);
    vm.setError(1);
    return 0;
  }
  r.setInt64(file->position());
  return 0;
}

int fileSetPos(Interpreter& vm, Variant* a, int, Variant& r) {
  TextFile* file = findFile(vm, a[0]);
  const int32_t origin = a[2].toInt32();
  bool moved = false;
  if (file && origin >= 0 && origin <= 2) moved = file->seek(a[1].toInt64(), static_cast<SeekOrigin>(origin));
  r.setBool(moved);
  return 0;
}

int fileFlush(Interpreter& vm, Variant* a, int, Variant& r) {
  TextFile* file = findFile(vm, a[0]);
  r.setBool(file && file->flush());
  return 0;
}

int fileGetEncoding(Interpreter& vm, Variant* a, int count, Variant& r) {
  const bool sample = argumentGiven(a, count, 1) && a[1].toInt32() == 2;
  FileArgument argument(vm, a[0], sample ? 0 : kFileWholeUtf8Test);
  TextFile* file = argument.get();
  r.setInt32(file ? file->encodingCode() : -1);
  return 0;
}

}  // namespace

void registerFileBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::FILEOPEN, fileOpen);
  vm.registerBuiltin(BuiltinId::FILECLOSE, fileClose);
  vm.registerBuiltin(BuiltinId::FILEREAD, fileRead);
  vm.registerBuiltin(BuiltinId::FILEREADLINE, fileReadLine);
  vm.registerBuiltin(BuiltinId::FILEWRITE, fileWrite);
  vm.registerBuiltin(BuiltinId::FILEWRITELINE, fileWriteLine);
  vm.registerBuiltin(BuiltinId::FILEGETPOS, fileGetPos);
  vm.registerBuiltin(BuiltinId::FILESETPOS, fileSetPos);
  vm.registerBuiltin(BuiltinId::FILEFLUSH, fileFlush);
  vm.registerBuiltin(BuiltinId::FILEGETENCODING, fileGetEncoding);
}

}  // namespace vx

// A script's open file: the system handle, a 64 KB read buffer and the text
// encoding the file got when it was opened.
//
// Invariants: the logical position is the buffer's position; the system file
// pointer is at the end of what the buffer holds. Writes first drop the
// buffer (moving the system pointer back to the logical position) and then
// go to the system in one call, so nothing written waits in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "builtins/files/file_table.h"
#include "platform/file.h"
#include "source/encoding.h"
#include "source/line_buffer.h"
#include "values/string.h"

namespace vx {

// FILEOPEN's mode flags.
enum FileModeFlags : int {
  kFileAppend = 1,
  kFileErase = 2,
  kFileCreatePath = 8,
  kFileBinary = 16,
  kFileUtf16Le = 32,
  kFileUtf16Be = 64,
  kFileUtf8Bom = 128,
  kFileUtf8 = 256,
  kFileRead = 8192,  // added for a mode that neither appends nor erases
  kFileWholeUtf8Test = 16384,
};

class TextFile : public HandleEntry {
 public:
  TextFile();
  HandleKind kind() const override { return HandleKind::File; }

  // False on failure, with the system's code in lastError().
  bool open(const String& path, int mode);
  uint32_t lastError() const { return file_.lastError(); }

  bool isBinary() const { return (mode_ & kFileBinary) != 0; }
  bool isWritable() const { return (mode_ & kFileRead) == 0; }
  TextEncoding encoding() const { return encoding_; }
  // 0, 32, 64, 128 or 256, as FILEGETENCODING reports it.
  int encodingCode() const;

  int64_t position() const { return static_cast<int64_t>(buffer_.position()); }
  // Bytes from the position to the end of the file (0 past the end).
  int64_t remainingBytes();
  bool seek(int64_t offset, platform::SeekOrigin origin);
  void rewindToText() { seek(bomLength_, platform::SeekOrigin::Start); }

  // Appends up to `count` bytes to `out`; the number read.
  size_t readBytes(size_t count, std::string& out) { return buffer_.readBytes(count, out); }
  // The next physical line without its line end, decoded; false at the end.
  bool readLine(String& line) { return buffer_.readLine(isBinary() ? TextEncoding::Ansi : encoding_, line); }

  bool write(const void* bytes, size_t size);
  bool flush() { return file_.flush(); }
  // Where a write call puts the bytes it is about to write; reused so that a
  // line written costs no allocation.
  std::string& scratch() { return scratch_; }

 private:
  static long long readFile(void* file, void* buffer, size_t size);
  void dropBuffer();
  void takeEncoding(int mode);
  bool wholeFileIsUtf8();

  platform::File file_;
  LineBuffer buffer_;
  int mode_ = 0;
  TextEncoding encoding_ = TextEncoding::Ansi;
  int bomLength_ = 0;
  std::string scratch_;
};

}  // namespace vx

#include "source/text_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "source/compiled_container.h"
#include "source/encoding.h"

namespace {

using vx::TextEncoding;

struct TempFile {
  std::string path;
  explicit TempFile(const std::string& bytes) {
    char name[] = "/tmp/vxreadXXXXXX";
    int fd = mkstemp(name);
    path = name;
    FILE* f = fdopen(fd, "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
  }
  ~TempFile() { remove(path.c_str()); }
  vx::String name() const { return vx::String::fromUtf8(path.data(), path.size()); }
};

std::vector<std::string> readAll(const std::string& bytes, TextEncoding* encoding = nullptr) {
  TempFile file(bytes);
  vx::TextReader reader;
  EXPECT_TRUE(reader.open(file.name()));
  if (encoding) *encoding = reader.encoding();
  std::vector<std::string> lines;
  vx::String line;
  while (reader.readLine(line)) lines.push_back(line.toUtf8());
  return lines;
}

TEST(EncodingDetection, MarksAndUtf8Test) {
  struct Case {
    std::string bytes;
    TextEncoding encoding;
    int bom;
  };
  const Case cases[] = {
      {"\xFF\xFE" "a\0", TextEncoding::Utf16Le, 2},
      {"\xFE\xFF\0a", TextEncoding::Utf16Be, 2},
      {"\xEF\xBB\xBF" "abc", TextEncoding::Utf8, 3},
      {"plain ascii", TextEncoding::Ansi, 0},
      {"", TextEncoding::Ansi, 0},
      {"caf\xC3\xA9", TextEncoding::Utf8, 0},
      {"caf\xE9 x", TextEncoding::Ansi, 0},         // Latin-1 byte without its trail
      {"caf\xE9", TextEncoding::Utf8, 0},           // ...unless the sample ends first
      {"ab\xE2\x82", TextEncoding::Utf8, 0},        // cut off by the end of the sample
      {"\xC0\xAF", TextEncoding::Ansi, 0},          // never a lead byte
      {"\xF5\x80\x80\x80", TextEncoding::Ansi, 0},  // beyond the Unicode range
      {"\xE2\x28\xA1", TextEncoding::Ansi, 0},
  };
  for (const Case& c : cases) {
    auto d = vx::detectEncoding(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size());
    EXPECT_EQ(d.encoding, c.encoding) << c.bytes;
    EXPECT_EQ(d.bomLength, c.bom) << c.bytes;
  }
}

TEST(TextReader, MixedLineEnds) {
  EXPECT_EQ(readAll("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(readAll("a\n"), (std::vector<std::string>{"a"}));
  EXPECT_EQ(readAll("a\n\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(readAll("\r\r\n"), (std::vector<std::string>{"", ""}));
  EXPECT_TRUE(readAll("").empty());
  EXPECT_TRUE(readAll("\xEF\xBB\xBF").empty());
  EXPECT_TRUE(readAll("\xFF\xFE").empty());
}

TEST(TextReader, Utf16BothOrders) {
  TextEncoding e;
  EXPECT_EQ(readAll(std::string("\xFF\xFE" "a\0\r\0\n\0\xE9\0\r\0b\0c", 15), &e),
            (std::vector<std::string>{"a", "\xC3\xA9", "b"}));  // the lone trailing byte is dropped
  EXPECT_EQ(e, TextEncoding::Utf16Le);
  EXPECT_EQ(readAll(std::string("\xFE\xFF\0x\0\n\0y", 8), &e), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(e, TextEncoding::Utf16Be);
}

TEST(TextReader, AsciiSampleMakesAnsiEvenWithLaterUtf8) {
  std::string bytes(70000, 'a');
  bytes += "\n\xC3\xA9";
  TextEncoding e;
  auto lines = readAll(bytes, &e);
  EXPECT_EQ(e, TextEncoding::Ansi);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "\xC3\x83\xC2\xA9");  // two ANSI characters
}

TEST(TextReader, LineEndAcrossBufferBoundary) {
  // CR as the last byte of the first 64 KB block, LF as the first of the next.
  std::string bytes(vx::LineBuffer::kSize - 1, 'x');
  bytes += "\r\nnext";
  auto lines = readAll(bytes);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), vx::LineBuffer::kSize - 1);
  EXPECT_EQ(lines[1], "next");

  // The same for UTF-16: CR in the last unit of the block.
  std::string wide = "\xFF\xFE";
  while (wide.size() < vx::LineBuffer::kSize - 2) wide += std::string("z\0", 2);
  wide += std::string("\r\0\n\0k\0", 6);
  lines = readAll(wide);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "k");
}

TEST(TextReader, InvalidUtf8LineBecomesEmpty) {
  EXPECT_EQ(readAll("\xC3\xA9\n\xE0\x80\x80\nok"), (std::vector<std::string>{"\xC3\xA9", "", "ok"}));
}

}  // namespace

namespace {

TEST(ContainerProbe, SignatureFoundAcrossBlocksAndTagChecked) {
  const std::string signature = "VEXLET3-CONTAINER-\n_";
  // Straddling the first 64 KB block boundary.
  std::string bytes(65536 - 7, 'x');
  bytes += signature + "VX3C" + std::string(16, '\0') + "entries";
  TempFile straddling(bytes);
  vx::ContainerProbe probe = vx::probeContainer(straddling.name());
  EXPECT_EQ(probe.status, vx::ContainerStatus::Found);
  EXPECT_EQ(probe.entriesOffset, 65536 - 7 + signature.size() + 4 + 16);

  TempFile wrongTag("head" + signature + "XXXX" + std::string(16, '\0'));
  EXPECT_EQ(vx::probeContainer(wrongTag.name()).status, vx::ContainerStatus::WrongVersion);
  TempFile none(std::string(200000, 'y'));
  EXPECT_EQ(vx::probeContainer(none.name()).status, vx::ContainerStatus::NoSignature);
  EXPECT_EQ(vx::probeContainer(vx::String::fromAscii("/nonexistent/file")).status, vx::ContainerStatus::CannotOpen);
}

}  // namespace

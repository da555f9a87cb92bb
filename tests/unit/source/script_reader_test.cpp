#include "source/script_reader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "source/preprocessor.h"

namespace {

vx::String s(const std::string& utf8) { return vx::String::fromUtf8(utf8.data(), utf8.size()); }

// A scratch folder of script files, removed afterwards.
class Scripts : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vxsrcXXXXXX";
    dir_ = mkdtemp(name);
    saved_ = vx::platform::currentDirectory();
  }
  void TearDown() override {
    vx::platform::setCurrentDirectory(saved_);
    std::string cmd = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
  }
  void write(const std::string& name, const std::string& text) {
    std::string path = dir_ + "/" + name;
    size_t slash = path.rfind('/');
    mkdir(path.substr(0, slash).c_str(), 0755);
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
  }
  bool load(const std::string& name) {
    vx::String path = s(dir_ + "/" + name);
    store_.errorToStdout = true;
    store_.initIncludeDirs(s(dir_ + "/vexlet"), nullptr);
    int index = store_.registerFile(path);
    testing::internal::CaptureStdout();
    bool ok = vx::readSourceFile(store_, path, index, vx::ReportingPlace{path, vx::String(), 0});
    output_ = testing::internal::GetCapturedStdout();
    return ok;
  }
  // "number:text" for every stored line, with the file's name when not the main one.
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    for (int i = 1; i <= store_.count(); ++i) {
      std::string item = std::to_string(store_.lineNumber(i)) + ":" + store_.lineText(i).toUtf8();
      if (store_.fileIndex(i) != 0) {
        std::string file = store_.fileName(store_.fileIndex(i)).toUtf8();
        item = file.substr(file.rfind('/') + 1) + "@" + item;
      }
      out.push_back(item);
    }
    return out;
  }

  std::string dir_;
  vx::String saved_;
  vx::ScriptLines store_;
  std::string output_;
};

TEST_F(Scripts, IncludeOnceBelowTheTopRereadsWhatIsAbove) {
  write("lib.vx3", "$one = 1\n$two = 2\n#include-once\n$three = 3\n");
  write("main.vx3", "#include \"lib.vx3\"\n#include 'lib.vx3'\n$end = 1\n");
  ASSERT_TRUE(load("main.vx3")) << output_;
  EXPECT_EQ(lines(), (std::vector<std::string>{"lib.vx3@1:$one = 1", "lib.vx3@2:$two = 2", "lib.vx3@4:$three = 3",
                                               "lib.vx3@1:$one = 1", "lib.vx3@2:$two = 2", "3:$end = 1"}));
  const vx::ScriptFile* lib = store_.findFile(s(dir_ + "/lib.vx3"));
  ASSERT_NE(lib, nullptr);
  EXPECT_EQ(lib->readCount, 2);
  EXPECT_EQ(store_.fileIndex(1), store_.fileIndex(4));
}

TEST_F(Scripts, DirectivesSetFlagsAndStartupFunctions) {
  write("main.vx3",
        "#NoTrayIcon\n#requireadmin extra\n#NoVexlet3Exe\n"
        "#OnVexletStartRegister \"Init\"\n#OnVexletStartRegister  Second \n#region x\n$a = 1\n");
  ASSERT_TRUE(load("main.vx3"));
  EXPECT_TRUE(store_.noTrayIcon);
  EXPECT_TRUE(store_.requireAdmin);
  EXPECT_TRUE(store_.noExternalExecution);
  ASSERT_EQ(store_.startupFunctions.size(), 2u);
  EXPECT_EQ(store_.startupFunctions[0].toUtf8(), "Init");
  EXPECT_EQ(store_.startupFunctions[1].toUtf8(), "Second");
  EXPECT_EQ(lines(), (std::vector<std::string>{"7:$a = 1"}));
}

TEST_F(Scripts, EmptyLinesAndContinuations) {
  write("main.vx3", "\n; c\n$a = 1 _\n\t+ 2\n\n\n$b = 3\n\n");
  ASSERT_TRUE(load("main.vx3"));
  EXPECT_EQ(lines(), (std::vector<std::string>{"3:$a = 1 + 2", "7:$b = 3", "8:"}));
}

TEST_F(Scripts, NestedCommentBlocks) {
  write("main.vx3", "#cs\n#cs\n$x\n#ce\n$still = 'inside\n#ce\n$after = 1\n");
  ASSERT_TRUE(load("main.vx3"));
  EXPECT_EQ(lines(), (std::vector<std::string>{"7:$after = 1"}));
}

TEST_F(Scripts, DepthLimitStopsRecursiveIncludes) {
  write("main.vx3", "#include \"main.vx3\"\n");
  EXPECT_FALSE(load("main.vx3"));
  EXPECT_NE(output_.find("#include depth exceeded"), std::string::npos);
  EXPECT_EQ(store_.includeDepth, 0);
  EXPECT_EQ(vx::platform::currentDirectory(), saved_);  // every level gave its directory back
}

TEST(IncludeDirs, RegistryPiecesKeepEmptyOnesAndGetSeparators) {
  vx::ScriptLines store;
  vx::String setting = s("/a;;/b/;/c");
  store.initIncludeDirs(s("/opt/vx/vexlet"), &setting);
  std::vector<std::string> dirs;
  for (const vx::String& d : store.includeDirs()) dirs.push_back(d.toUtf8());
  EXPECT_EQ(dirs, (std::vector<std::string>{"/opt/vx/Include/", "/a/", "", "/b/", "/c/"}));
}

TEST(IncludeNames, ParseRules) {
  vx::ScriptLines store;
  store.initIncludeDirs(s("/nowhere/vexlet"), nullptr);
  struct Case {
    const char* text;
    bool ok;
    const char* path;
  };
  const Case cases[] = {
      {" \"a.vx3\"", true, "a.vx3"},     {"\t' b.vx3 '  ", true, "b.vx3"}, {"<c.vx3>;x", true, "c.vx3"},
      {" c.vx3", false, ""},            {" \"a.vx3' ", false, ""},        {" \"a.vx3\" x", false, ""},
      {" <a.vx3", false, ""},           {"", false, ""},
  };
  for (const Case& c : cases) {
    vx::String path;
    EXPECT_EQ(vx::resolveInclude(store, s(c.text), path), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(path.toUtf8(), c.path) << c.text;
    }
  }
}

}  // namespace

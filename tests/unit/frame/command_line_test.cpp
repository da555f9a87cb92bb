#include "frame/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vx::String;

namespace {

String s(const std::string& utf8) { return String::fromUtf8(utf8.data(), utf8.size()); }

std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> out;
  for (const String& a : vx::splitCommandLine(s(text))) out.push_back(a.toUtf8());
  return out;
}

struct SplitCase {
  const char* text;
  std::vector<std::string> expected;
};

TEST(CommandLineSplit, QuotingRules) {
  const SplitCase cases[] = {
      {"", {}},
      {"   \t ", {}},
      {"a \"b c\" d", {"a", "b c", "d"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"a \"\" b", {"a", "", "b"}},
      {"x\"\"y", {"xy"}},
      {"ab\"cd", {"ab\"cd"}},
      {"\"", {"\""}},
      {"a\t\tb ", {"a", "b"}},
      {"\"a b\"c", {"a bc"}},
      {"\"\"", {""}},
      {"\"abc\"\"", {"abc\"\""}},  // the put-back point follows the doubled quote
      {"p\"q r", {"p\"q r"}},     // unclosed quote keeps the blank in the argument
  };
  for (const SplitCase& c : cases) EXPECT_EQ(split(c.text), c.expected) << "text: " << c.text;
}

TEST(CommandLineSplit, LongArgumentIsCutAndEndsParsing) {
  std::string text = std::string(5000, 'x') + " next";
  auto args = split(text);
  ASSERT_EQ(args.size(), 1u);
  EXPECT_EQ(args[0].size(), vx::kMaxArgumentLength);
}

TEST(CommandLineProgramName, SkipsQuotedOrPlainName) {
  EXPECT_EQ(vx::textAfterProgramName(s("\"C:\\a b\\vexlet.exe\"  x y")).toUtf8(), "x y");
  EXPECT_EQ(vx::textAfterProgramName(s("vexlet.exe /ErrorStdOut s.vx3")).toUtf8(), "/ErrorStdOut s.vx3");
  EXPECT_EQ(vx::textAfterProgramName(s("vexlet.exe")).toUtf8(), "");
}

struct SwitchCase {
  const char* text;
  bool carries;
  bool errorToStdout, debugOutput, noTray;
  vx::SourceKind kind;
  const char* path;
  std::vector<std::string> arguments;
};

TEST(CommandLineSwitches, OrderAndConsumption) {
  using K = vx::SourceKind;
  const SwitchCase cases[] = {
      // The plain interpreter: the first argument names the script.
      {"", false, false, false, false, K::CompiledFile, "", {}},
      {"s.vx3 a b", false, false, false, false, K::CompiledFile, "s.vx3", {"a", "b"}},
      {"/ErrorStdOut /Vexlet3OutputDebug s.vx3", false, true, true, false, K::CompiledFile, "s.vx3", {}},
      {"/vexlet3outputdebug /ERRORSTDOUT s.vx3", false, false, true, false, K::CompiledFile, "/ERRORSTDOUT",
       {"s.vx3"}},
      {"/Vexlet3ExecuteLine \"x = 1\" a", false, false, false, true, K::SingleLine, "EXE", {"a"}},
      {"/Vexlet3ExecuteLine", false, false, false, true, K::SingleLine, "EXE", {}},
      {"/Vexlet3ExecuteScript", false, false, false, false, K::CompiledFile, "", {}},
      {"/Vexlet3ExecuteScript s.vx3 a", false, false, false, false, K::CompiledFile, "s.vx3", {"a"}},
      // An executable with a script of its own runs it; every argument is the script's.
      {"a b", true, false, false, false, K::EmbeddedScript, "EXE", {"a", "b"}},
      {"/ErrorStdOut a", true, true, false, false, K::EmbeddedScript, "EXE", {"a"}},
  };
  for (const SwitchCase& c : cases) {
    vx::CommandLine cl = vx::interpretCommandLine(s(c.text), s("EXE"), c.carries, false);
    EXPECT_EQ(cl.errorToStdout, c.errorToStdout) << c.text;
    EXPECT_EQ(cl.debugOutput, c.debugOutput) << c.text;
    EXPECT_EQ(cl.noTrayIcon, c.noTray) << c.text;
    EXPECT_EQ(cl.kind, c.kind) << c.text;
    EXPECT_EQ(cl.scriptPath.toUtf8(), c.path) << c.text;
    std::vector<std::string> args;
    for (const String& a : cl.scriptArguments) args.push_back(a.toUtf8());
    EXPECT_EQ(args, c.arguments) << c.text;
  }
}

TEST(CommandLineSwitches, ExternalExecutionForbidden) {
  auto cl = vx::interpretCommandLine(s("/Vexlet3ExecuteScript s.vx3 a"), s("EXE"), true, true);
  EXPECT_EQ(cl.kind, vx::SourceKind::NoSource);
  cl = vx::interpretCommandLine(s("a"), s("EXE"), true, true);
  EXPECT_EQ(cl.kind, vx::SourceKind::EmbeddedScript);
}

TEST(CommandLineSwitches, ExecuteLineText) {
  auto cl = vx::interpretCommandLine(s("/ErrorStdOut /Vexlet3ExecuteLine \"ConsoleWrite(1)\""), s("EXE"), false, false);
  EXPECT_EQ(cl.lineText.toUtf8(), "ConsoleWrite(1)");
  EXPECT_TRUE(cl.errorToStdout);
}

}  // namespace

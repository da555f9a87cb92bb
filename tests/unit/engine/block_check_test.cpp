#include "engine/block_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/block_scan.h"
#include "lexer/lexer.h"

using vx::BlockKind;
using vx::BlockScanner;
using vx::ScriptError;
using vx::TokenLine;

namespace {

// Lexes a script written one line per '\n' into token lines indexed from 1.
std::vector<TokenLine> lexLines(const std::string& script) {
  std::vector<TokenLine> lines(1);
  size_t start = 0;
  while (start <= script.size()) {
    size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    std::string text = script.substr(start, end - start);
    TokenLine tokens;
    vx::LexError error;
    if (!vx::lexLine(vx::String::fromAscii(text.c_str()), false, tokens, error)) {
      ADD_FAILURE() << "does not lex: " << text;
    }
    lines.push_back(std::move(tokens));
    start = end + 1;
  }
  return lines;
}

struct CheckCase {
  const char* script;
  int line;  // 0: the script is accepted
  int messageId;
  int column;
};

void expectCheck(const CheckCase& c) {
  std::vector<TokenLine> lines = lexLines(c.script);
  ScriptError error{};
  bool ok = vx::checkBlockStructure(lines, error);
  if (c.line == 0) {
    EXPECT_TRUE(ok) << c.script << "\n-> line " << error.line << " id " << error.messageId;
    return;
  }
  ASSERT_FALSE(ok) << c.script;
  EXPECT_EQ(error.line, c.line) << c.script;
  EXPECT_EQ(error.messageId, c.messageId) << c.script;
  EXPECT_EQ(error.column, c.column) << c.script;
}

TEST(BlockCheck, AcceptsWellFormedScripts) {
  const CheckCase cases[] = {
      {"x()", 0, 0, 0},
      {"If $a Then\nx()\nElseIf $b Then\nElse\nEndIf", 0, 0, 0},
      {"If $a Then x()\nIf $a Then $b = 1", 0, 0, 0},
      {"If 1 Then ContinueCase\nIf 1 Then Dim $a\nIf 1 Then ReDim $a[2]\nIf 1 Then Local $a\n"
       "If 1 Then Global $a\nIf 1 Then Const $a = 1\nIf 1 Then Return\nIf 1 Then Exit",
       0, 0, 0},
      {"While 1\nSelect\nCase 1\nIf 1 Then ExitLoop\nContinueLoop\nEndSelect\nWEnd", 0, 0, 0},
      {"Do\nFor $i = 1 To 2\nNext\nUntil 1", 0, 0, 0},
      {"Select\nCase 1\nSwitch $x\nCase 1 To 2\nEndSwitch\nCase Else\nEndSelect", 0, 0, 0},
      {"Func f()\nIf 1 Then\nEndIf\nEndFunc\nFunc g()\nEndFunc", 0, 0, 0},
  };
  for (const CheckCase& c : cases) expectCheck(c);
  std::vector<TokenLine> nothing(1);
  ScriptError error{};
  EXPECT_TRUE(vx::checkBlockStructure(nothing, error));
}

TEST(BlockCheck, IfLines) {
  const CheckCase cases[] = {
      {"If $a\nEndIf", 1, 161, -1},
      {"x()\nIf $a = 1", 2, 161, -1},
      {"If 1 Then If 1 Then x()", 1, 159, 10},
      {"If 1 Then While 1", 1, 159, 10},
      {"If 1 Then Static $a", 1, 159, 10},
      {"If 0 Then ExitLoop", 1, 150, -1},
      {"If 0 Then ContinueLoop", 1, 150, -1},
      {"Then", 1, 129, -1},
  };
  for (const CheckCase& c : cases) expectCheck(c);
}

TEST(BlockCheck, LoopControlNeedsALoop) {
  const CheckCase cases[] = {
      {"ExitLoop", 1, 150, -1},
      {"Select\nCase 1\nContinueLoop\nEndSelect", 3, 150, -1},
      {"Func f()\nExitLoop\nEndFunc", 2, 150, -1},
      {"For $i = 1 To 2\nNext\nExitLoop", 3, 150, -1},
  };
  for (const CheckCase& c : cases) expectCheck(c);
}

TEST(BlockCheck, TextAfterAStatementThatStandsAlone) {
  const CheckCase cases[] = {
      {"If 1 Then\nElse x()\nEndIf", 2, 114, 5},
      {"If 1 Then\nEndIf 1", 2, 114, 6},
      {"While 1\nWEnd 1", 2, 114, 5},
      {"Do 1\nUntil 1", 1, 114, 3},
      {"For $i = 1 To 2\nNext $i", 2, 114, 5},
      {"Select 1\nCase 1\nEndSelect", 1, 114, 7},
      {"Select\nCase 1\nEndSelect 2", 3, 114, 10},
      {"Switch 1\nCase 1\nEndSwitch 2", 3, 114, 10},
      {"Func f()\nEndFunc 1", 2, 114, 8},
  };
  for (const CheckCase& c : cases) expectCheck(c);
}

TEST(BlockCheck, ClosingWithoutOpening) {
  const CheckCase cases[] = {
      {"Else", 1, 116, -1},
      {"ElseIf 1 Then", 1, 116, -1},
      {"If 1 Then\nEndIf\nElse", 3, 116, -1},
      // The Else would cut the loop in two.
      {"If 1 Then\nWhile 1\nElse\nWEnd\nEndIf", 3, 116, -1},
      {"x()\n  EndIf", 2, 117, 2},
      {"WEnd", 1, 120, 0},
      {"Until 1", 1, 147, 0},
      {"Next", 1, 149, 0},
      {"EndSelect", 1, 153, 0},
      {"Switch 1\nCase 1\nEndSelect", 3, 153, 0},
      {"EndSwitch", 1, 179, 0},
      {"Select\nCase 1\nEndSwitch", 3, 179, 0},
  };
  for (const CheckCase& c : cases) expectCheck(c);
}

TEST(BlockCheck, CrossingBlocks) {
  const CheckCase cases[] = {
      {"While 1\nIf 1 Then\nWEnd\nEndIf", 3, 120, 0},
      {"If 1 Then\nWhile 1\nEndIf\nWEnd", 3, 117, 0},
      {"Do\nWhile 1\nUntil 1\nWEnd", 3, 147, 0},
      {"For $i = 1 To 2\nDo\nNext\nUntil 1", 3, 149, 0},
      {"Select\nCase 1\nSwitch 1\nEndSelect\nEndSwitch", 4, 153, 0},
  };
  for (const CheckCase& c : cases) expectCheck(c);
}

TEST(BlockCheck, CaseMustBeDirectlyInsideSelectOrSwitch) {
  const CheckCase cases[] = {
      {"Case 1", 1, 152, 0},
      {"Select\nCase 1\nIf 1 Then\nCase 2\nEndIf\nEndSelect", 4, 152, 0},
      {"Switch $x\nCase 1\nWhile 1\n  Case 2\nWEnd\nEndSwitch", 4, 152, 2},
  };
  for (const CheckCase& c : cases) expectCheck(c);
}

TEST(BlockCheck, Functions) {
  const CheckCase cases[] = {
      {"Func f()\nFunc g()\nEndFunc", 2, 131, -1},
      {"EndFunc", 1, 131, -1},
      {"Func f()\nEndFunc\nEndFunc", 3, 131, -1},
      {"Func f()\nx()", 2, 131, -1},
      // Blocks open at Func or EndFunc are named, not the function.
      {"While 1\nFunc f()\nEndFunc\nWEnd", 2, 119, -1},
      {"If 1 Then\nIf 1 Then\nFunc f()", 3, 115, -1},
      {"Func f()\nFor $i = 1 To 2\nEndFunc\nNext", 3, 151, -1},
      {"Func f()\nDo\nEndFunc", 3, 146, -1},
      {"Func f()\nSelect\nCase 1\nEndFunc", 4, 160, -1},
      {"Func f()\nSwitch 1\nCase 1\nEndFunc", 4, 180, -1},
      {"Func f()\nWhile 1", 2, 119, -1},
      // Blocks of two kinds: no single count equals the depth, so the
      // innermost block is named.
      {"While 1\nIf 1 Then\nFunc f()\nEndFunc\nEndIf\nWEnd", 3, 115, -1},
      {"Func f()\nIf 1 Then\nDo\nEndFunc\nUntil 1\nEndIf", 4, 146, -1},
  };
  for (const CheckCase& c : cases) expectCheck(c);
}

TEST(BlockCheck, UnclosedAtTheEndNamesKindsInFixedOrder) {
  // Each prefix leaves its blocks open; the kinds are named in the order
  // Do, While, For, Select, Switch, If whatever the nesting.
  const char* opening[] = {"If 1 Then", "Switch $x", "Select", "For $i = 1 To 2", "While 1", "Do"};
  const int expected[] = {115, 180, 160, 151, 119, 146};
  std::string script;
  for (int k = 0; k < 6; ++k) {
    if (k > 0) script += '\n';
    script += opening[k];
    expectCheck({script.c_str(), k + 1, expected[k], -1});
  }
  expectCheck({"x()\nIf 1 Then\nx()", 3, 115, -1});
}

// Lines of the fixture, numbered for the expectations below.
const char* const kNested =
    "If $a Then\n"                // 1
    "  If $b Then x()\n"          // 2
    "  If $c Then\n"              // 3
    "  ElseIf $d Then\n"          // 4
    "  Else\n"                    // 5
    "  EndIf\n"                   // 6
    "ElseIf $e Then\n"            // 7
    "  While 1\n"                 // 8
    "    If 1 Then ExitLoop\n"    // 9
    "  WEnd\n"                    // 10
    "Else\n"                      // 11
    "  Select\n"                  // 12
    "  Case $a\n"                 // 13
    "    Switch $b\n"             // 14
    "    Case 1\n"                // 15
    "    Case 2\n"                // 16
    "    EndSwitch\n"             // 17
    "  Case Else\n"               // 18
    "  EndSelect\n"               // 19
    "EndIf\n"                     // 20
    "For $i = 1 To 2\n"           // 21
    "  For $j = 1 To 2\n"         // 22
    "  Next\n"                    // 23
    "Next\n"                      // 24
    "Do\n"                        // 25
    "  Do\n"                      // 26
    "  Until 1\n"                 // 27
    "Until 1";                    // 28

std::vector<int> caseLinesOf(BlockScanner& scanner, int line) {
  std::vector<int> out;
  scanner.caseLines(line, out);
  return out;
}

std::vector<int> branchLinesOf(BlockScanner& scanner, int line) {
  std::vector<int> out;
  scanner.branchLines(line, out);
  return out;
}

TEST(BlockScan, FindsMatchingEndsOfNestedBlocks) {
  std::vector<TokenLine> lines = lexLines(kNested);
  ScriptError error{};
  ASSERT_TRUE(vx::checkBlockStructure(lines, error)) << error.line << " " << error.messageId;
  BlockScanner scanner(lines);
  EXPECT_EQ(scanner.endOf(BlockKind::If, 1), 20);
  EXPECT_EQ(scanner.endOf(BlockKind::If, 3), 6);
  EXPECT_EQ(scanner.endOf(BlockKind::While, 8), 10);
  EXPECT_EQ(scanner.endOf(BlockKind::Select, 12), 19);
  EXPECT_EQ(scanner.endOf(BlockKind::Switch, 14), 17);
  EXPECT_EQ(scanner.endOf(BlockKind::Switch, 12), 19);  // the two kinds count alike
  EXPECT_EQ(scanner.endOf(BlockKind::For, 21), 24);
  EXPECT_EQ(scanner.endOf(BlockKind::For, 22), 23);
  EXPECT_EQ(scanner.endOf(BlockKind::Do, 25), 28);
  EXPECT_EQ(scanner.endOf(BlockKind::Do, 26), 27);

  EXPECT_EQ(branchLinesOf(scanner, 1), (std::vector<int>{7, 11}));
  EXPECT_EQ(branchLinesOf(scanner, 3), (std::vector<int>{4, 5}));
  EXPECT_EQ(caseLinesOf(scanner, 12), (std::vector<int>{13, 18}));
  EXPECT_EQ(caseLinesOf(scanner, 14), (std::vector<int>{15, 16}));

  // No match, and indexes outside the script.
  EXPECT_EQ(scanner.endOf(BlockKind::If, 20), 0);
  EXPECT_EQ(scanner.endOf(BlockKind::While, 10), 0);
  EXPECT_EQ(scanner.endOf(BlockKind::Do, 28), 0);
  EXPECT_EQ(scanner.endOf(BlockKind::If, 0), 0);
  EXPECT_EQ(scanner.endOf(BlockKind::For, 29), 0);
  EXPECT_EQ(scanner.endOf(BlockKind::For, -3), 0);
  EXPECT_TRUE(caseLinesOf(scanner, 29).empty());
  EXPECT_TRUE(branchLinesOf(scanner, 0).empty());
}

TEST(BlockScan, RememberedResultsEqualFreshScans) {
  // Two scanners asked everything in opposite orders, each question twice,
  // must agree with a fresh scanner per question.
  std::vector<TokenLine> lines = lexLines(kNested);
  const int last = static_cast<int>(lines.size()) - 1;
  const BlockKind kinds[] = {BlockKind::If,  BlockKind::While,  BlockKind::Do,
                             BlockKind::For, BlockKind::Select, BlockKind::Switch};
  BlockScanner endsFirst(lines);
  BlockScanner innerFirst(lines);
  for (int round = 0; round < 2; ++round) {
    for (int line = 1; line <= last; ++line) {
      for (BlockKind kind : kinds) {
        BlockScanner fresh(lines);
        EXPECT_EQ(endsFirst.endOf(kind, line), fresh.endOf(kind, line)) << line;
      }
      BlockScanner freshCases(lines);
      BlockScanner freshBranches(lines);
      EXPECT_EQ(caseLinesOf(endsFirst, line), caseLinesOf(freshCases, line)) << line;
      EXPECT_EQ(branchLinesOf(endsFirst, line), branchLinesOf(freshBranches, line)) << line;
    }
    for (int line = last; line >= 1; --line) {
      BlockScanner freshCases(lines);
      BlockScanner freshBranches(lines);
      EXPECT_EQ(caseLinesOf(innerFirst, line), caseLinesOf(freshCases, line)) << line;
      EXPECT_EQ(branchLinesOf(innerFirst, line), branchLinesOf(freshBranches, line)) << line;
      for (BlockKind kind : kinds) {
        BlockScanner fresh(lines);
        EXPECT_EQ(innerFirst.endOf(kind, line), fresh.endOf(kind, line)) << line;
      }
    }
  }
}

TEST(BlockScan, OnlyTheFirstThenDecidesAMultiLineIf) {
  // Line 2 runs as a single-line If (its condition stops at the first Then);
  // counting it as an opening would leave line 1 without its EndIf.
  std::vector<TokenLine> lines = lexLines("If 0 Then\nIf 1 Then $x = 1 Then\nEndIf");
  ScriptError error{};
  EXPECT_TRUE(vx::checkBlockStructure(lines, error));
  BlockScanner scanner(lines);
  EXPECT_EQ(scanner.endOf(BlockKind::If, 1), 3);

  struct LineCase {
    const char* text;
    bool multiLine;
    vx::Keyword first;
  };
  const LineCase cases[] = {
      {"If $a Then", true, vx::Keyword::If},
      {"If $a Then x()", false, vx::Keyword::If},
      {"If $a Then $b Then", false, vx::Keyword::If},
      {"If $a", false, vx::Keyword::If},
      {"While 1", false, vx::Keyword::While},
      {"$x = 1", false, vx::Keyword::None},
  };
  for (const LineCase& c : cases) {
    TokenLine line = std::move(lexLines(c.text)[1]);
    EXPECT_EQ(vx::isMultiLineIf(line), c.multiLine) << c.text;
    EXPECT_EQ(vx::firstKeyword(line), c.first) << c.text;
  }
  EXPECT_EQ(vx::firstKeyword(TokenLine()), vx::Keyword::None);
}

}  // namespace

#include "lexer/lexer.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/builtin_table.h"

using vx::String;
using vx::Token;
using vx::TokenKind;

namespace {

String s(const std::string& utf8) { return String::fromUtf8(utf8.data(), utf8.size()); }

// A compact picture of a token line: kind:value@column, space separated.
std::string describe(const vx::TokenLine& line) {
  std::string out;
  for (const Token& t : line) {
    if (!out.empty()) out += ' ';
    switch (t.kind) {
      case TokenKind::Keyword: out += "kw" + std::to_string(t.value.index); break;
      case TokenKind::Builtin: out += std::string("bi:") + String(vx::builtinInfo(t.value.index).name).toUtf8(); break;
      case TokenKind::Int32: out += "i" + std::to_string(t.value.i32); break;
      case TokenKind::Int64: out += "l" + std::to_string(t.value.i64); break;
      case TokenKind::Double: {
        char b[40];
        snprintf(b, sizeof b, "d%.17g", t.value.d);
        out += b;
        break;
      }
      case TokenKind::Macro: out += "@" + t.text.toUtf8(); break;
      case TokenKind::Variable: out += "$" + t.text.toUtf8(); break;
      case TokenKind::UserFunction: out += "fn:" + t.text.toUtf8(); break;
      case TokenKind::Member: out += "." + t.text.toUtf8(); break;
      case TokenKind::StringLiteral: out += "'" + t.text.toUtf8() + "'"; break;
      case TokenKind::EndOfLine: out += "eol"; break;
      default: out += "op" + std::to_string(static_cast<int>(t.kind)); break;
    }
    out += "@" + std::to_string(t.column);
  }
  return out;
}

struct Good {
  const char* text;
  const char* tokens;
};

TEST(Lexer, Tokens) {
  const Good cases[] = {
      {"$a+=1", "$A@0 op82@2 i1@4 eol@5"},
      {"$a + = 1", "$A@0 op73@3 op65@5 i1@7 eol@8"},
      {"1.5e3", "d1500@0 eol@5"},
      {"1.2.3", "d1.2@0 d0.29999999999999999@3 eol@5"},
      {"1E+2 2e-1", "d100@0 d0.20000000000000001@5 eol@9"},
      {"2147483647 2147483648", "i2147483647@0 l2147483648@11 eol@21"},
      {"99999999999999999999", "l9223372036854775807@0 eol@20"},
      {"0x7FFFFFFF 0xFFFFFFFF 0x", "i2147483647@0 i-1@11 i0@22 eol@24"},
      {"'It''s' \"a'b\" \"\"\"\"", "'It's'@0 'a'b'@8 '\"'@14 eol@18"},
      {"If(1) Then", "kw4@0 op71@2 i1@3 op72@4 kw5@6 eol@10"},
      {"MsgBox( MyFunc (", "bi:MSGBOX@0 op71@6 fn:MYFUNC@8 op71@15 eol@16"},
      {".5 .Name $x.y", "d0.5@0 .Name@3 $X@9 .y@11 eol@13"},
      {"@CRLF\t$_1a", "@CRLF@0 $_1A@6 eol@10"},
      {"$b. x = 1", "$B@0 d0@2 fn:X@4 op65@6 i1@8 eol@9"},
      {"$a=<$b", "$A@0 op65@2 op67@3 $B@4 eol@6"},
      {"<> >< =>", "op68@0 op66@3 op67@4 op65@6 op66@7 eol@8"},
      {"&= *= /= -= ^ [ ] ,", "op86@0 op85@3 op84@6 op83@9 op81@12 op78@14 op79@16 op64@18 eol@19"},
      {". ", "d0@0 eol@2"},
      {"Default, True)", "kw41@0 op64@7 kw39@9 op72@13 eol@14"},
      {"", "eol@0"},
  };
  for (const Good& c : cases) {
    vx::TokenLine line;
    vx::LexError error;
    ASSERT_TRUE(vx::lexLine(s(c.text), false, line, error)) << c.text << " error " << error.messageId;
    EXPECT_EQ(describe(line), c.tokens) << c.text;
  }
}

struct Bad {
  const char* text;
  int id;
  int column;
};

TEST(Lexer, Errors) {
  const Bad cases[] = {
      {"$a = 12abc", 5000, 5},
      {"1e", 5000, 0},
      {"1e+", 5000, 0},
      {"0x123456789", 5000, 0},
      {"0x1G", 5000, 0},
      {"$", 5003, 1},
      {"$a = @", 5003, 6},
      {"'abc", 5002, 0},
      {"$a = \"x", 5002, 5},
      {"\"", 5002, 0},
      {"If$a", 5004, 2},
      {"MyFunc", 5004, 6},
      {"x= 1", 5004, 1},
      {"Then&", 5004, 4},
      {"$a ? 1", 5000, 3},
      {"$a = 1 ; x", 5000, 7},
      {"a\fb", 5004, 1},
      {"$a\f", 5000, 2},
      {"$a = \xc3\xa9", 5000, 5},
      {"#include", 5000, 0},
      {"$a = !1", 5000, 5},
      {"\x1a$", 5000, 0},
  };
  for (const Bad& c : cases) {
    vx::TokenLine line;
    vx::LexError error;
    EXPECT_FALSE(vx::lexLine(s(c.text), true, line, error)) << c.text;
    EXPECT_EQ(error.messageId, c.id) << c.text;
    EXPECT_EQ(error.column, c.column) << c.text;
  }
}

TEST(Lexer, EndOfFileMarkOnlyAsWholeLastLine) {
  vx::TokenLine line;
  vx::LexError error;
  EXPECT_TRUE(vx::lexLine(s("\x1a"), true, line, error));
  EXPECT_EQ(describe(line), "eol@1");
  EXPECT_FALSE(vx::lexLine(s("\x1a"), false, line, error));
  EXPECT_EQ(error.messageId, 5000);
}

TEST(BuiltinTable, LookupBySortedName) {
  auto find = [](const char* name) { return vx::findBuiltin(s(name).data(), strlen(name)); };
  EXPECT_EQ(find("ABS"), 0);
  EXPECT_EQ(find("WINWAITNOTACTIVE"), vx::kBuiltinCount - 1);
  EXPECT_GE(find("STRINGLEN"), 0);
  EXPECT_EQ(find("StringLen"), -1);
  EXPECT_EQ(find("STRINGLENX"), -1);
  EXPECT_EQ(find("STRINGLE"), -1);
  EXPECT_EQ(vx::kBuiltinCount, 396);
  for (int i = 0; i < vx::kBuiltinCount; ++i) {
    String name(vx::builtinInfo(i).name);
    ASSERT_EQ(vx::findBuiltin(name.data(), name.length()), i) << name.toUtf8();
    if (i > 0) {
      ASSERT_LT(String(vx::builtinInfo(i - 1).name).compare(name), 0);
    }
  }
}

}  // namespace

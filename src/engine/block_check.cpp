// Invariants of the walk: `depth` is the number of open blocks; for each
// kind, `opened[kind]` holds the depth at which each of its open blocks was
// opened, innermost last, so the innermost open block is the kind whose
// last entry is depth - 1. Only lines that start with a keyword matter.
#include "engine/block_check.h"

#include "engine/block_scan.h"
#include "engine/messages.h"
#include "lexer/keywords.h"

namespace vx {

namespace {

constexpr int kKindCount = 6;

int kindIndex(BlockKind kind) { return static_cast<int>(kind); }

// The order in which an unclosed block is blamed when several are open.
constexpr BlockKind kBlameOrder[] = {BlockKind::Do,     BlockKind::While,  BlockKind::For,
                                     BlockKind::Select, BlockKind::Switch, BlockKind::If};

MessageId unclosedMessage(BlockKind kind) {
  switch (kind) {
    case BlockKind::If: return MessageId::IfWithoutEndIf;
    case BlockKind::While: return MessageId::WhileWithoutWend;
    case BlockKind::Do: return MessageId::DoWithoutUntil;
    case BlockKind::For: return MessageId::ForWithoutNext;
    case BlockKind::Select: return MessageId::SelectWithoutEndSelect;
    case BlockKind::Switch: return MessageId::SwitchWithoutEndSwitch;
  }
  return MessageId::IfWithoutEndIf;
}

MessageId strayCloseMessage(BlockKind kind) {
  switch (kind) {
    case BlockKind::If: return MessageId::EndIfWithoutIf;
    case BlockKind::While: return MessageId::WendWithoutWhile;
    case BlockKind::Do: return MessageId::UntilWithoutDo;
    case BlockKind::For: return MessageId::NextWithoutFor;
    case BlockKind::Select: return MessageId::EndSelectWithoutSelect;
    case BlockKind::Switch: return MessageId::EndSwitchWithoutSwitch;
  }
  return MessageId::EndIfWithoutIf;
}

bool isKeyword(const Token& token, Keyword keyword) {
  return token.kind == TokenKind::Keyword && token.value.index == static_cast<int32_t>(keyword);
}

bool isEnd(const TokenLine& line, size_t position) {
  return position >= line.size() || line[position].kind == TokenKind::EndOfLine;
}

// What a single-line If may run after Then when that is a keyword statement:
// the statements that make sense without a block of their own.
bool acceptedAfterThen(Keyword keyword) {
  switch (keyword) {
    case Keyword::ContinueCase:
    case Keyword::Dim:
    case Keyword::ReDim:
    case Keyword::Local:
    case Keyword::Global:
    case Keyword::Const:
    case Keyword::Return:
    case Keyword::Exit: return true;
    default: return false;
  }
}

class Checker {
 public:
  explicit Checker(ScriptError& error) : error_(error) {}

  bool checkLine(int lineIndex, const TokenLine& line);
  bool checkEnd(int lastLine);

 private:
  bool fail(int line, MessageId id, int column) {
    error_.line = line;
    error_.messageId = static_cast<int>(id);
    error_.column = column;
    return false;
  }
  bool failIfNotAlone(int lineIndex, const TokenLine& line, size_t from) {
    if (isEnd(line, from)) return true;
    return fail(lineIndex, MessageId::IllegalTextAtEnd, line[from].column);
  }

  void open(BlockKind kind) {
    int k = kindIndex(kind);
    ++counts_[k];
    opened_[k].push_back(depth_);
    ++depth_;
  }
  // False when this closing line does not close the innermost open block.
  bool close(BlockKind kind) {
    int k = kindIndex(kind);
    --depth_;
    if (--counts_[k] < 0 || opened_[k].empty()) return false;
    int openedAt = opened_[k].back();
    opened_[k].pop_back();
    return openedAt == depth_;
  }
  bool innermostIs(BlockKind kind) const {
    const std::vector<int>& stack = opened_[kindIndex(kind)];
    return depth_ > 0 && !stack.empty() && stack.back() == depth_ - 1;
  }
  bool loopOpen() const {
    return counts_[kindIndex(BlockKind::While)] > 0 || counts_[kindIndex(BlockKind::Do)] > 0 ||
           counts_[kindIndex(BlockKind::For)] > 0;
  }

  bool checkIf(int lineIndex, const TokenLine& line);
  bool checkClose(int lineIndex, const TokenLine& line, BlockKind kind, bool mustBeAlone);
  bool openBlockTest(int lineIndex, bool atEnd);

  ScriptError& error_;
  int depth_ = 0;
  int counts_[kKindCount] = {};
  std::vector<int> opened_[kKindCount];
  int openFuncs_ = 0;
};

bool Checker::checkIf(int lineIndex, const TokenLine& line) {
  size_t then = 1;
  while (!isEnd(line, then) && !isKeyword(line[then], Keyword::Then)) ++then;
  if (isEnd(line, then)) return fail(lineIndex, MessageId::IfWithoutThen, -1);

  size_t next = then + 1;
  if (isEnd(line, next)) {
    open(BlockKind::If);
    return true;
  }
  const Token& statement = line[next];
  if (statement.kind != TokenKind::Keyword) return true;
  Keyword keyword = Keyword::None;
  if (statement.value.index >= 1 && statement.value.index <= kKeywordCount) {
    keyword = static_cast<Keyword>(statement.value.index);
  }
  if (keyword == Keyword::ExitLoop || keyword == Keyword::ContinueLoop) {
    return loopOpen() || fail(lineIndex, MessageId::LoopControlOutsideLoop, -1);
  }
  if (acceptedAfterThen(keyword)) return true;
  return fail(lineIndex, MessageId::KeywordAfterThen, statement.column);
}

bool Checker::checkClose(int lineIndex, const TokenLine& line, BlockKind kind, bool mustBeAlone) {
  if (mustBeAlone && !failIfNotAlone(lineIndex, line, 1)) return false;
  if (close(kind)) return true;
  return fail(lineIndex, strayCloseMessage(kind), line[0].column);
}

// A Func or EndFunc line, or the end of the script, must not sit inside an
// open block. Inside, the kind blamed is the first in kBlameOrder whose open
// count equals the depth; when blocks of several kinds are open no count
// can equal the depth, and the innermost open block is blamed instead, so
// such a script is refused rather than letting a function's lines belong to
// a block outside it.
bool Checker::openBlockTest(int lineIndex, bool atEnd) {
  if (atEnd) {
    for (BlockKind kind : kBlameOrder) {
      if (counts_[kindIndex(kind)] != 0) return fail(lineIndex, unclosedMessage(kind), -1);
    }
    return true;
  }
  if (depth_ <= 0) return true;
  for (BlockKind kind : kBlameOrder) {
    if (counts_[kindIndex(kind)] == depth_) return fail(lineIndex, unclosedMessage(kind), -1);
  }
  for (BlockKind kind : kBlameOrder) {
    if (innermostIs(kind)) return fail(lineIndex, unclosedMessage(kind), -1);
  }
  return true;
}

bool Checker::checkLine(int lineIndex, const TokenLine& line) {
  switch (firstKeyword(line)) {
    case Keyword::If: return checkIf(lineIndex, line);
    case Keyword::ExitLoop:
    case Keyword::ContinueLoop:
      return loopOpen() || fail(lineIndex, MessageId::LoopControlOutsideLoop, -1);
    case Keyword::Then: return fail(lineIndex, MessageId::InvalidKeywordAtStart, -1);
    case Keyword::Else:
      if (!failIfNotAlone(lineIndex, line, 1)) return false;
      [[fallthrough]];
    case Keyword::ElseIf:
      // The innermost block, not just any open one, must be the If: an Else
      // inside a loop inside an If would otherwise cut that loop in two.
      return innermostIs(BlockKind::If) || fail(lineIndex, MessageId::ElseWithoutIf, -1);
    case Keyword::EndIf: return checkClose(lineIndex, line, BlockKind::If, true);
    case Keyword::While: open(BlockKind::While); return true;
    case Keyword::WEnd: return checkClose(lineIndex, line, BlockKind::While, true);
    case Keyword::Do:
      if (!failIfNotAlone(lineIndex, line, 1)) return false;
      open(BlockKind::Do);
      return true;
    case Keyword::Until: return checkClose(lineIndex, line, BlockKind::Do, false);
    case Keyword::For: open(BlockKind::For); return true;
    case Keyword::Next: return checkClose(lineIndex, line, BlockKind::For, true);
    case Keyword::Select:
      if (!failIfNotAlone(lineIndex, line, 1)) return false;
      open(BlockKind::Select);
      return true;
    case Keyword::Switch: open(BlockKind::Switch); return true;
    case Keyword::EndSelect: return checkClose(lineIndex, line, BlockKind::Select, true);
    case Keyword::EndSwitch: return checkClose(lineIndex, line, BlockKind::Switch, true);
    case Keyword::Case:
      if (innermostIs(BlockKind::Select) || innermostIs(BlockKind::Switch)) return true;
      return fail(lineIndex, MessageId::CaseWithoutSelect, line[0].column);
    case Keyword::Func:
      if (openFuncs_ > 0) return fail(lineIndex, MessageId::FuncWithoutEndFunc, -1);
      ++openFuncs_;
      return openBlockTest(lineIndex, false);
    case Keyword::EndFunc:
      if (!failIfNotAlone(lineIndex, line, 1)) return false;
      if (openFuncs_ == 0) return fail(lineIndex, MessageId::FuncWithoutEndFunc, -1);
      --openFuncs_;
      return openBlockTest(lineIndex, false);
    default: return true;
  }
}

bool Checker::checkEnd(int lastLine) {
  if (!openBlockTest(lastLine, true)) return false;
  if (openFuncs_ > 0) return fail(lastLine, MessageId::FuncWithoutEndFunc, -1);
  return true;
}

}  // namespace

bool checkBlockStructure(const std::vector<TokenLine>& lines, ScriptError& error) {
  Checker checker(error);
  int last = static_cast<int>(lines.size()) - 1;
  for (int index = 1; index <= last; ++index) {
    if (!checker.checkLine(index, lines[static_cast<size_t>(index)])) return false;
  }
  return last < 1 || checker.checkEnd(last);
}

}  // namespace vx

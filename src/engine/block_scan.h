// Forward scans that find where a block ends, and the lines inside it that
// the executor jumps between (Case lines, Else/ElseIf lines).
//
// Only the first token of a line decides what the line is for a scan; the
// one exception is the multi-line If, an If line whose first Then ends it.
// A scan starts after the opening line with nesting 0: a nested opening adds
// one, a closing line subtracts one, and a closing line at nesting 0 is the
// match. Select and Switch nest into each other, so they count alike.
//
// Results depend only on the token lines, which never change during a run,
// so the scanner remembers each one per opening line: the first request
// scans, later ones are a lookup, and the answer is the same either way.
#pragma once

#include <cstdint>
#include <vector>

#include "lexer/keywords.h"
#include "lexer/token.h"

namespace vx {

enum class BlockKind : int { If = 0, While = 1, Do = 2, For = 3, Select = 4, Switch = 5 };

// Keyword::None when the line is empty or does not start with a keyword.
Keyword firstKeyword(const TokenLine& line);

// An If line whose first Then is its last token before the end of the line.
// The first Then is where the condition stops, so a line such as
// "If $a Then $b Then" runs as a single-line If and must not open a block.
bool isMultiLineIf(const TokenLine& line);

class BlockScanner {
 public:
  // `lines` is indexed from 1 (index 0 unused) and must outlive the scanner.
  explicit BlockScanner(const std::vector<TokenLine>& lines);

  // The matching closing line of the block of `kind` opened at
  // `openingLine`, or 0 when there is none (also for an index out of range).
  int endOf(BlockKind kind, int openingLine);

  // The Case lines at nesting 0 of the Select or Switch opened at
  // `openingLine`, in order, up to its end (or the end of the script).
  void caseLines(int openingLine, std::vector<int>& out);

  // The Else and ElseIf lines at nesting 0 of the multi-line If opened at
  // `openingLine`, in order, up to its EndIf (or the end of the script).
  void branchLines(int openingLine, std::vector<int>& out);

 private:
  // Select and Switch share one scan, so there are five families.
  enum Family { kIfFamily, kWhileFamily, kDoFamily, kForFamily, kSelectFamily, kFamilyCount };

  static constexpr int32_t kUnknown = -1;

  // A run of entries in `innerPool_`; begin is kUnknown until scanned.
  struct InnerLines {
    int32_t begin = kUnknown;
    int32_t count = 0;
  };

  static Family familyOf(BlockKind kind);
  bool validOpening(int openingLine) const;
  int scan(Family family, int openingLine, std::vector<int32_t>* inner) const;
  // Scans an If or Select family block once, filling both its end and its
  // inner lines.
  const InnerLines& innerOf(Family family, int openingLine);

  const std::vector<TokenLine>& lines_;
  // Per family, the end line by opening line (kUnknown: not scanned yet).
  // Allocated on a family's first use, so scripts pay only for what they use.
  std::vector<int32_t> ends_[kFamilyCount];
  // Inner lines for the If family (Else/ElseIf) and the Select family (Case).
  std::vector<InnerLines> ifInner_;
  std::vector<InnerLines> selectInner_;
  std::vector<int32_t> innerPool_;
};

}  // namespace vx

#include "engine/block_scan.h"

namespace vx {

namespace {

bool isKeyword(const Token& token, Keyword keyword) {
  return token.kind == TokenKind::Keyword && token.value.index == static_cast<int32_t>(keyword);
}

// How a line moves the nesting of a scan, and whether it is an inner line
// (Else/ElseIf or Case) of the block being scanned.
enum class LineRole { Other, Opens, Closes, Inner };

LineRole roleIfFamily(const TokenLine& line) {
  switch (firstKeyword(line)) {
    case Keyword::If: return isMultiLineIf(line) ? LineRole::Opens : LineRole::Other;
    case Keyword::EndIf: return LineRole::Closes;
    case Keyword::Else:
    case Keyword::ElseIf: return LineRole::Inner;
    default: return LineRole::Other;
  }
}

LineRole roleSelectFamily(Keyword first) {
  switch (first) {
    case Keyword::Select:
    case Keyword::Switch: return LineRole::Opens;
    case Keyword::EndSelect:
    case Keyword::EndSwitch: return LineRole::Closes;
    case Keyword::Case: return LineRole::Inner;
    default: return LineRole::Other;
  }
}

LineRole roleLoop(Keyword first, Keyword opening, Keyword closing) {
  if (first == opening) return LineRole::Opens;
  if (first == closing) return LineRole::Closes;
  return LineRole::Other;
}

}  // namespace

Keyword firstKeyword(const TokenLine& line) {
  if (line.empty() || line[0].kind != TokenKind::Keyword) return Keyword::None;
  int32_t index = line[0].value.index;
  if (index < 1 || index > kKeywordCount) return Keyword::None;
  return static_cast<Keyword>(index);
}

bool isMultiLineIf(const TokenLine& line) {
  if (firstKeyword(line) != Keyword::If) return false;
  for (size_t i = 1; i < line.size(); ++i) {
    if (isKeyword(line[i], Keyword::Then)) {
      return i + 1 < line.size() && line[i + 1].kind == TokenKind::EndOfLine;
    }
  }
  return false;
}

BlockScanner::BlockScanner(const std::vector<TokenLine>& lines) : lines_(lines) {}

BlockScanner::Family BlockScanner::familyOf(BlockKind kind) {
  switch (kind) {
    case BlockKind::If: return kIfFamily;
    case BlockKind::While: return kWhileFamily;
    case BlockKind::Do: return kDoFamily;
    case BlockKind::For: return kForFamily;
    case BlockKind::Select:
    case BlockKind::Switch: return kSelectFamily;
  }
  return kSelectFamily;
}

bool BlockScanner::validOpening(int openingLine) const {
  return openingLine >= 1 && static_cast<size_t>(openingLine) < lines_.size();
}

int BlockScanner::scan(Family family, int openingLine, std::vector<int32_t>* inner) const {
  int nesting = 0;
  int last = static_cast<int>(lines_.size()) - 1;
  for (int index = openingLine + 1; index <= last; ++index) {
    const TokenLine& line = lines_[static_cast<size_t>(index)];
    LineRole role = LineRole::Other;
    switch (family) {
      case kIfFamily: role = roleIfFamily(line); break;
      case kWhileFamily: role = roleLoop(firstKeyword(line), Keyword::While, Keyword::WEnd); break;
      case kDoFamily: role = roleLoop(firstKeyword(line), Keyword::Do, Keyword::Until); break;
      case kForFamily: role = roleLoop(firstKeyword(line), Keyword::For, Keyword::Next); break;
      case kSelectFamily: role = roleSelectFamily(firstKeyword(line)); break;
      case kFamilyCount: break;
    }
    switch (role) {
      case LineRole::Opens: ++nesting; break;
      case LineRole::Closes:
        if (nesting == 0) return index;
        --nesting;
        break;
      case LineRole::Inner:
        if (nesting == 0 && inner) inner->push_back(index);
        break;
      case LineRole::Other: break;
    }
  }
  return 0;
}

const BlockScanner::InnerLines& BlockScanner::innerOf(Family family, int openingLine) {
  std::vector<InnerLines>& table = family == kIfFamily ? ifInner_ : selectInner_;
  if (table.empty()) table.resize(lines_.size());
  InnerLines& entry = table[static_cast<size_t>(openingLine)];
  if (entry.begin != kUnknown) return entry;

  std::vector<int32_t>& ends = ends_[family];
  if (ends.empty()) ends.assign(lines_.size(), kUnknown);
  size_t begin = innerPool_.size();
  ends[static_cast<size_t>(openingLine)] = scan(family, openingLine, &innerPool_);
  entry.begin = static_cast<int32_t>(begin);
  entry.count = static_cast<int32_t>(innerPool_.size() - begin);
  return entry;
}

int BlockScanner::endOf(BlockKind kind, int openingLine) {
  if (!validOpening(openingLine)) return 0;
  Family family = familyOf(kind);
  std::vector<int32_t>& ends = ends_[family];
  if (ends.empty()) ends.assign(lines_.size(), kUnknown);
  int32_t& end = ends[static_cast<size_t>(openingLine)];
  if (end == kUnknown) {
    // The If and Select scans find their inner lines on the way; keep them,
    // since the executor asks for those right after the end.
    if (family == kIfFamily || family == kSelectFamily) {
      innerOf(family, openingLine);
    } else {
      end = scan(family, openingLine, nullptr);
    }
  }
  return end;
}

void BlockScanner::caseLines(int openingLine, std::vector<int>& out) {
  out.clear();
  if (!validOpening(openingLine)) return;
  const InnerLines& entry = innerOf(kSelectFamily, openingLine);
  out.assign(innerPool_.begin() + entry.begin, innerPool_.begin() + entry.begin + entry.count);
}

void BlockScanner::branchLines(int openingLine, std::vector<int>& out) {
  out.clear();
  if (!validOpening(openingLine)) return;
  const InnerLines& entry = innerOf(kIfFamily, openingLine);
  out.assign(innerPool_.begin() + entry.begin, innerPool_.begin() + entry.begin + entry.count);
}

}  // namespace vx

// The substring search shared by StringInStr and StringReplace.
#pragma once

#include <cstddef>
#include <cstdint>

#include "values/string.h"

namespace vx {

// 0 user locale ignoring case, 1 by code value, 2 simple lower-casing,
// 3 US English ignoring case.
enum class TextMode : int { UserLocale = 0, Exact = 1, Simple = 2, FixedLocale = 3 };

TextMode textModeFrom(int32_t mode);

// Equal runs of `length` units under a mode.
bool sameRun(const char16_t* a, const char16_t* b, size_t length, TextMode mode);

// Prepared once per call so repeated searches over one text stay linear.
// Positions are 0-based; a result equal to the text's length means not found.
class SubstringSearch {
 public:
  SubstringSearch(const String& text, const String& needle, TextMode mode);

  // occurrence must not be 0; negative counts from the right. start < 0 and
  // window < 0 mean none.
  size_t find(int64_t occurrence, int64_t start, int64_t window) const;
  size_t notFound() const { return length_; }

 private:
  bool matchesAt(size_t pos) const;
  // A cheap test on the first unit that rules a candidate out exactly.
  bool cannotMatchAt(size_t pos) const {
    const char16_t c = text_[pos];
    if (!filterFirst_ || c == first_ || c == firstOtherCase_) return false;
    return mode_ == TextMode::Exact || (c >= 0x20 && c <= 0x7E && c != u'-' && c != u'\'');
  }

  const char16_t* text_;
  size_t length_;
  const char16_t* needle_;
  size_t needleLength_;
  TextMode mode_;
  // Locale modes: plain printable ASCII has one weight per unit, so runs of
  // it compare like folded ASCII, which spares a system call per candidate.
  bool needleIsPlain_ = false;
  bool filterFirst_ = false;
  char16_t first_ = 0;
  char16_t firstOtherCase_ = 0;
};

}  // namespace vx

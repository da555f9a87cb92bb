// RegexMatcher: one compiled pattern run over one subject, for the length of
// one built-in call. Matching works on UTF-16 code units (the 16-bit PCRE2
// library); positions seen by scripts are counted in code points.
//
// Invariants:
// - The subject and pattern held here are valid UTF-16: lone surrogates were
//   replaced by U+FFFD, so PCRE2 may skip its own UTF check.
// - position() is a unit index into the subject; a value beyond length()
//   means the subject is used up and match() finds nothing more.
// - After an empty match in global mode the next match() first looks for a
//   non-empty match anchored at the same place, then moves on one character;
//   so a global loop always advances.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "values/string.h"

namespace vx {

class RegexMatcher {
 public:
  RegexMatcher();
  ~RegexMatcher();
  RegexMatcher(const RegexMatcher&) = delete;
  RegexMatcher& operator=(const RegexMatcher&) = delete;

  // False when the pattern does not compile; errorPosition() is then the
  // 0-based code point index of the fault within the pattern.
  bool compile(const String& pattern);
  int32_t errorPosition() const { return errorPosition_; }

  void setSubject(const String& subject);
  const String& subject() const { return subject_; }
  size_t length() const { return subject_.length(); }

  // Starts matching at the 0-based code point `index` (past the end: nothing).
  void startAtCharacter(int64_t index);
  // One match from the current position; the number of captured strings
  // (at least 1), or 0 for no match or a matching error.
  int match(bool global);

  // Unit offsets of group `i` of the last match; false when it is absent.
  bool groupSpan(int i, size_t& start, size_t& end) const;
  String group(int i) const;
  size_t matchStart() const;
  size_t matchEnd() const;
  // 0-based code point index of the current position.
  int64_t characterPosition() const;

 private:
  struct Pcre;  // the PCRE2 handles, kept out of this header
  std::unique_ptr<Pcre> pcre_;
  String subject_;
  bool subjectSet_ = false;
  size_t position_ = 0;
  int lastResult_ = 0;
  bool retryNonEmpty_ = false;
  int32_t errorPosition_ = 0;
};

}  // namespace vx

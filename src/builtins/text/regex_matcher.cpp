#include "builtins/text/regex_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace vx {

namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// PCRE2 is told not to check UTF validity (one scan fewer per call), so a lone
// surrogate must not reach it: it becomes U+FFFD, one unit for one unit.
String validUtf16(const String& text) {
  const char16_t* units = text.data();
  const size_t n = text.length();
  size_t i = 0;
  for (; i < n; ++i) {
    char16_t c = units[i];
    if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(units[i + 1])) {
      ++i;
    } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
      break;
    }
  }
  if (i == n) return text;
  String fixed = text;
  char16_t* out = fixed.mutableData();
  for (; i < n; ++i) {
    char16_t c = out[i];
    if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(out[i + 1])) {
      ++i;
    } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
      out[i] = 0xFFFD;
    }
  }
  return fixed;
}

// Code points in the first `units` units of valid UTF-16: every unit but the
// second half of a pair.
int64_t codePointsBefore(const String& text, size_t units) {
  const char16_t* data = text.data();
  if (units > text.length()) units = text.length();
  int64_t count = 0;
  for (size_t i = 0; i < units; ++i) {
    if (!isLowSurrogate(data[i])) ++count;
  }
  return count;
}

PCRE2_SPTR unitsOf(const String& text) { return reinterpret_cast<PCRE2_SPTR>(text.data()); }

}  // namespace

struct RegexMatcher::Pcre {
  pcre2_code* code = nullptr;
  pcre2_match_data* matchData = nullptr;
  ~Pcre() {
    pcre2_match_data_free(matchData);
    pcre2_code_free(code);
  }
};

RegexMatcher::RegexMatcher() : pcre_(std::make_unique<Pcre>()) {}
RegexMatcher::~RegexMatcher() = default;

bool RegexMatcher::compile(const String& text) {
  String pattern = validUtf16(text);
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  pcre_->code = pcre2_compile(unitsOf(pattern), pattern.length(), PCRE2_UTF | PCRE2_NO_UTF_CHECK, &errorCode,
                              &errorOffset, nullptr);
  if (!pcre_->code) {
    errorPosition_ = static_cast<int32_t>(codePointsBefore(pattern, errorOffset));
    return false;
  }
  // JIT pays for itself on all but the shortest subjects; where it is not
  // available the interpreter runs the same pattern.
  pcre2_jit_compile(pcre_->code, PCRE2_JIT_COMPLETE);
  pcre_->matchData = pcre2_match_data_create_from_pattern(pcre_->code, nullptr);
  if (!pcre_->matchData) {
    pcre2_code_free(pcre_->code);
    pcre_->code = nullptr;
    return false;
  }
  return true;
}

void RegexMatcher::setSubject(const String& subject) {
  subject_ = validUtf16(subject);
  subjectSet_ = true;
  position_ = 0;
  retryNonEmpty_ = false;
}

void RegexMatcher::startAtCharacter(int64_t index) {
  const char16_t* units = subject_.data();
  const size_t n = subject_.length();
  if (index < 0) index = 0;
  // Every code point takes at least one unit: an index past the unit count
  // is past the end, without walking.
  if (static_cast<uint64_t>(index) > n) {
    position_ = n + 1;
    return;
  }
  size_t unit = 0;
  for (int64_t c = 0; c < index; ++c) {
    if (unit >= n) {
      position_ = n + 1;
      return;
    }
    unit += (isHighSurrogate(units[unit]) && unit + 1 < n) ? 2 : 1;
  }
  position_ = unit;
}

int RegexMatcher::match(bool global) {
  lastResult_ = 0;
  if (!pcre_->code || !subjectSet_) return 0;
  const size_t n = subject_.length();
  for (;;) {
    if (position_ > n) return 0;
    uint32_t options = PCRE2_NO_UTF_CHECK;
    if (retryNonEmpty_) options |= PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED;
    int rc = pcre2_match(pcre_->code, unitsOf(subject_), n, position_, options, pcre_->matchData, nullptr);
    // The JIT's fixed stack can run out where the interpreter's heap frames
    // would not: the same match then runs interpreted.
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
      rc = pcre2_match(pcre_->code, unitsOf(subject_), n, position_, options | PCRE2_NO_JIT, pcre_->matchData,
                       nullptr);
    }
    if (rc > 0) {
      retryNonEmpty_ = false;
      const size_t end = matchEnd();
      position_ = end;
      if (global && matchStart() == end) {
        if (end >= n) {
          position_ = n + 1;
        } else {
          retryNonEmpty_ = true;
        }
      }
      lastResult_ = rc;
      return rc;
    }
    if (rc == PCRE2_ERROR_NOMATCH && retryNonEmpty_) {
      retryNonEmpty_ = false;
      const char16_t* units = subject_.data();
      position_ += (isHighSurrogate(units[position_]) && position_ + 1 < n) ? 2 : 1;
      continue;
    }
    return 0;
  }
}

bool RegexMatcher::groupSpan(int i, size_t& start, size_t& end) const {
  if (i < 0 || i >= lastResult_) return false;
  const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(pcre_->matchData);
  start = vector[2 * i];
  end = vector[2 * i + 1];
  if (start == PCRE2_UNSET || end == PCRE2_UNSET) return false;
  // \K inside a lookaround can put the start after the end.
  if (start > end) return false;
  return true;
}

String RegexMatcher::group(int i) const {
  size_t start = 0, end = 0;
  if (!groupSpan(i, start, end)) return String();
  return subject_.substr(start, end - start);
}

size_t RegexMatcher::matchStart() const {
  if (!pcre_->matchData) return 0;
  return pcre2_get_ovector_pointer(pcre_->matchData)[0];
}

size_t RegexMatcher::matchEnd() const {
  if (!pcre_->matchData) return 0;
  return pcre2_get_ovector_pointer(pcre_->matchData)[1];
}

int64_t RegexMatcher::characterPosition() const {
  if (position_ > subject_.length()) return codePointsBefore(subject_, subject_.length()) + 1;
  return codePointsBefore(subject_, position_);
}

}  // namespace vx

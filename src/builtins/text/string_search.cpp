// Searching, comparing and replacing: StringInStr, StringCompare and
// StringReplace, all over one substring search.
#include <cstring>

#include "builtins/text/string_builtins.h"
#include "builtins/text/string_search.h"
#include "engine/interpreter.h"
#include "platform/text_locale.h"

namespace vx {

namespace {

char16_t foldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

char16_t lowerSimple(char16_t c) { return c < 128 ? foldAscii(c) : platform::lowerUnit(c); }

// Printable ASCII whose locale comparison ignoring case is plain folding; the
// hyphen and the apostrophe get special weights in the system's word sort.
bool isPlainUnit(char16_t c) { return c >= 0x20 && c <= 0x7E && c != u'-' && c != u'\''; }

bool sameSimple(const char16_t* a, const char16_t* b, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (a[i] != b[i] && lowerSimple(a[i]) != lowerSimple(b[i])) return false;
  }
  return true;
}

bool sameLocale(const char16_t* a, const char16_t* b, size_t length, TextMode mode) {
  return platform::compareRunsIgnoringCase(a, length, b, length, mode == TextMode::FixedLocale) == 0;
}

}  // namespace

TextMode textModeFrom(int32_t mode) { return mode >= 0 && mode <= 3 ? static_cast<TextMode>(mode) : TextMode::UserLocale; }

bool sameRun(const char16_t* a, const char16_t* b, size_t length, TextMode mode) {
  switch (mode) {
    case TextMode::Exact: return std::memcmp(a, b, length * sizeof(char16_t)) == 0;
    case TextMode::Simple: return sameSimple(a, b, length);
    default: return sameLocale(a, b, length, mode);
  }
}

SubstringSearch::SubstringSearch(const String& text, const String& needle, TextMode mode)
    : text_(text.data()), length_(text.length()), needle_(needle.data()), needleLength_(needle.length()), mode_(mode) {
  first_ = firstOtherCase_ = needle_[0];
  if (mode_ == TextMode::Exact) {
    filterFirst_ = true;
    return;
  }
  if (mode_ == TextMode::Simple) return;
  needleIsPlain_ = needleLength_ > 0;
  for (size_t i = 0; i < needleLength_ && needleIsPlain_; ++i) needleIsPlain_ = isPlainUnit(needle_[i]);
  filterFirst_ = needleIsPlain_;
  if (first_ >= u'a' && first_ <= u'z') firstOtherCase_ = static_cast<char16_t>(first_ - 32);
  if (first_ >= u'A' && first_ <= u'Z') firstOtherCase_ = static_cast<char16_t>(first_ + 32);
}

// With a plain needle, a plain mismatch after plain units decides: the
// weights up to it are those of the units themselves. Anything else is left
// to the system.
bool SubstringSearch::matchesAt(size_t pos) const {
  const char16_t* at = text_ + pos;
  switch (mode_) {
    case TextMode::Exact: return std::memcmp(at, needle_, needleLength_ * sizeof(char16_t)) == 0;
    case TextMode::Simple: return sameSimple(at, needle_, needleLength_);
    default:
      if (needleIsPlain_) {
        for (size_t i = 0; i < needleLength_; ++i) {
          if (!isPlainUnit(at[i])) return sameLocale(at, needle_, needleLength_, mode_);
          if (at[i] != needle_[i] && foldAscii(at[i]) != foldAscii(needle_[i])) return false;
        }
        return true;
      }
      return sameLocale(at, needle_, needleLength_, mode_);
  }
}

size_t SubstringSearch::find(int64_t occurrence, int64_t start, int64_t window) const {
  const size_t m = needleLength_;
  if (m == 0 || length_ == 0 || occurrence == 0 || m > length_) return length_;
  const int64_t n = static_cast<int64_t>(length_);
  int64_t found = 0;
  if (occurrence > 0) {
    const int64_t from = start < 0 ? 0 : start;
    if (from >= n) return length_;
    const int64_t end = window < 0 || window > n - from ? n : from + window;
    if (static_cast<size_t>(end) < m) return length_;
    const size_t last = static_cast<size_t>(end) - m;  // the last candidate that fits the window
    for (size_t pos = static_cast<size_t>(from); pos <= last;) {
      if (!cannotMatchAt(pos) && matchesAt(pos)) {
        if (++found == occurrence) return pos;
        pos += m;
      } else {
        ++pos;
      }
    }
    return length_;
  }
  // Backward: the first candidate is the match that would end at the start.
  const int64_t wanted = -occurrence;
  int64_t pos = start < 0 || start >= n ? n - static_cast<int64_t>(m) : start - static_cast<int64_t>(m) + 1;
  const int64_t lowest = window < 0 || window > pos ? 0 : pos - window + 1;
  while (pos >= lowest && pos >= 0) {
    if (!cannotMatchAt(static_cast<size_t>(pos)) && matchesAt(static_cast<size_t>(pos))) {
      if (++found == wanted) return static_cast<size_t>(pos);
      pos -= static_cast<int64_t>(m);
    } else {
      --pos;
    }
  }
  return length_;
}

namespace {

int stringInStr(Interpreter& vm, Variant* a, int count, Variant& r) {
  const String text = a[0].stringForm();
  const String needle = a[1].stringForm();
  const TextMode mode = textModeFrom(count > 2 ? a[2].toInt32() : 0);
  const int32_t occurrence = count > 3 ? a[3].toInt32() : 1;
  const int32_t start = count > 4 ? a[4].toInt32() : 1;
  const int32_t window = count > 5 ? a[5].toInt32() : -1;
  if (occurrence == 0 || start < 1 || (count > 5 && window <= 0)) {
    r.setInt32(0);
    vm.setError(1);
    return 0;
  }
  const SubstringSearch search(text, needle, mode);
  const size_t p = search.find(occurrence, count > 4 ? start - 1 : -1, window);
  r.setInt32(p == search.notFound() ? 0 : static_cast<int32_t>(p + 1));
  return 0;
}

int compareExact(const String& x, const String& y) {
  if (x.empty() != y.empty()) return x.empty() ? -1 : 1;
  const size_t n = x.length() > y.length() ? x.length() : y.length();
  for (size_t i = 0; i < n; ++i) {
    // Index length() reads the terminating 0: the shorter string ends in 0s.
    const char16_t p = i < x.length() ? x[i] : 0, q = i < y.length() ? y[i] : 0;
    if (p != q) return p < q ? -1 : 1;
  }
  return 0;
}

int compareSimple(const String& x, const String& y) {
  const size_t n = x.length() > y.length() ? x.length() : y.length();
  for (size_t i = 0; i < n; ++i) {
    char16_t p = i < x.length() ? x[i] : 0, q = i < y.length() ? y[i] : 0;
    if (p == q) continue;
    p = lowerSimple(p);
    q = lowerSimple(q);
    if (p != q) return p < q ? -1 : 1;
  }
  return 0;
}

int stringCompare(Interpreter&, Variant* a, int count, Variant& r) {
  const String x = a[0].stringForm();
  const String y = a[1].stringForm();
  const TextMode mode = textModeFrom(count > 2 ? a[2].toInt32() : 0);
  int result;
  switch (mode) {
    case TextMode::Exact: result = compareExact(x, y); break;
    case TextMode::Simple: result = compareSimple(x, y); break;
    default:
      result = platform::compareRunsIgnoringCase(x.data(), x.length(), y.data(), y.length(),
                                                 mode == TextMode::FixedLocale);
  }
  r.setInt32(result);
  return 0;
}

// A numeric search overwrites in place: the replacement must fit wholly.
int replaceAtPosition(Interpreter& vm, const String& text, int32_t position, const String& replacement, Variant& r) {
  const int64_t last = static_cast<int64_t>(position) - 1 + static_cast<int64_t>(replacement.length());
  if (position < 1 || last > static_cast<int64_t>(text.length())) {
    r.setString(String());
    vm.setError(1);
    return 0;
  }
  String out(text.data(), text.length());
  if (!replacement.empty()) {
    std::memcpy(out.mutableData() + (position - 1), replacement.data(), replacement.length() * sizeof(char16_t));
  }
  r.setString(std::move(out));
  return 0;
}

int stringReplace(Interpreter& vm, Variant* a, int count, Variant& r) {
  const String text = a[0].stringForm();
  const String replacement = a[2].stringForm();
  if (a[1].isNumber()) return replaceAtPosition(vm, text, a[1].toInt32(), replacement, r);
  const String needle = a[1].stringForm();
  if (needle.empty()) {
    r.setString(String());
    vm.setError(1);
    return 0;
  }
  const int64_t occurrence = count > 3 ? a[3].toInt32() : 0;
  const TextMode mode = count > 4 && a[4].toInt32() != 0 ? TextMode::Exact : TextMode::UserLocale;
  const SubstringSearch search(text, needle, mode);
  const size_t n = text.length();

  size_t pos = 0;
  int64_t limit = occurrence > 0 ? occurrence : 0;  // 0: no limit
  if (occurrence < 0) {
    // Fewer occurrences than asked for from the right: all are replaced.
    const size_t first = search.find(occurrence, -1, -1);
    if (first != n) {
      pos = first;
      limit = -occurrence;
    }
  }
  String out;
  int32_t replaced = 0;
  size_t copied = 0;  // text before `copied` is already in out
  while (limit == 0 || replaced < limit) {
    const size_t at = search.find(1, static_cast<int64_t>(pos), -1);
    if (at == n) break;
    if (replaced == 0) out.reserve(n + replacement.length());
    out.append(text.data() + copied, at - copied);
    out.append(replacement);
    pos = copied = at + needle.length();
    ++replaced;
  }
  if (replaced == 0) {
    r.setString(text);
  } else {
    out.append(text.data() + copied, n - copied);
    r.setString(std::move(out));
  }
  vm.setExtended(replaced);
  return 0;
}

}  // namespace

void registerStringSearchBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::STRINGINSTR, stringInStr);
  vm.registerBuiltin(BuiltinId::STRINGCOMPARE, stringCompare);
  vm.registerBuiltin(BuiltinId::STRINGREPLACE, stringReplace);
}

}  // namespace vx

// StringRegExp and StringRegExpReplace: the script side of RegexMatcher.
// Each call compiles its pattern once and reuses it for every match of
// that call; nothing is cached between calls.
#include <algorithm>
#include <vector>

#include "builtins/registry.h"
#include "builtins/text/regex_matcher.h"
#include "engine/interpreter.h"

namespace vx {

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads the digits at `pos`, leaving `pos` after them. A number too large
// for any group saturates: it names no group either way.
int readGroupNumber(const char16_t* units, size_t n, size_t& pos) {
  int value = 0;
  for (; pos < n && isDigit(units[pos]); ++pos) {
    if (value < 1000000) value = value * 10 + (units[pos] - u'0');
  }
  return value;
}

void appendGroup(const RegexMatcher& matcher, int group, String& out) {
  size_t start = 0, end = 0;
  if (matcher.groupSpan(group, start, end)) out.append(matcher.subject().data() + start, end - start);
}

// Appends `replacement` with its group references filled in from the last
// match; returns how many references it expanded.
int64_t expandReplacement(const RegexMatcher& matcher, const String& replacement, String& out) {
  const char16_t* units = replacement.data();
  const size_t n = replacement.length();
  int64_t references = 0;
  size_t i = 0;
  while (i < n) {
    const char16_t c = units[i];
    if (c == u'\\') {
      if (i + 1 >= n) break;  // a trailing backslash is dropped
      const char16_t next = units[i + 1];
      if (isDigit(next)) {
        size_t pos = i + 1;
        appendGroup(matcher, readGroupNumber(units, n, pos), out);
        ++references;
        i = pos;
      } else if (next == u'\\' || next == u'$') {
        out.append(next);
        i += 2;
      } else {
        ++i;  // the backslash goes; the next character is read as usual
      }
      continue;
    }
    if (c == u'$') {
      if (i + 1 < n && isDigit(units[i + 1])) {
        size_t pos = i + 1;
        appendGroup(matcher, readGroupNumber(units, n, pos), out);
        ++references;
        i = pos;
        continue;
      }
      if (i + 2 < n && units[i + 1] == u'{' && isDigit(units[i + 2])) {
        size_t pos = i + 2;
        const int group = readGroupNumber(units, n, pos);
        if (pos < n && units[pos] == u'}') {
          appendGroup(matcher, group, out);
          ++references;
          i = pos + 1;
          continue;
        }
      }
    }
    out.append(c);
    ++i;
  }
  return references;
}

// A one-dimensional array of `items`; false when it would exceed the
// array size limit.
bool makeArray(std::vector<Variant>& items, Variant& out) {
  if (items.size() > kMaxArrayElements) return false;
  const uint32_t size = static_cast<uint32_t>(items.size());
  if (!out.dimension(&size, 1)) return false;
  for (uint32_t i = 0; i < size; ++i) *out.elementAtLinear(i, true) = std::move(items[i]);
  return true;
}

// The groups `first` .. n-1 of the last match (n = captured strings).
void collectGroups(const RegexMatcher& matcher, int captured, int first, std::vector<Variant>& items) {
  for (int g = first; g < captured; ++g) items.push_back(Variant::fromString(matcher.group(g)));
}

int compileFailed(Interpreter& vm, const RegexMatcher& matcher) {
  vm.setError(2);
  vm.setExtended(matcher.errorPosition() + 1);
  return 0;
}

int stringRegExp(Interpreter& vm, Variant* a, int count, Variant& r) {
  int32_t flag = count > 2 ? a[2].toInt32() : 0;
  if (flag < 0 || flag > 4) flag = 0;
  int64_t offset = count > 3 ? a[3].toInt64() : 1;
  if (offset < 1) offset = 1;

  RegexMatcher matcher;
  if (!matcher.compile(a[1].stringForm())) {
    r.setInt32(0);
    return compileFailed(vm, matcher);
  }
  matcher.setSubject(a[0].stringForm());
  matcher.startAtCharacter(offset - 1);

  if (flag == 0) {
    r.setInt32(matcher.match(false) > 0 ? 1 : 0);
    return 0;
  }

  std::vector<Variant> items;
  if (flag == 1 || flag == 2) {
    const int captured = matcher.match(false);
    if (captured == 0) {
      if (flag == 1) r.setInt32(0);
      vm.setError(1);
      return 0;
    }
    collectGroups(matcher, captured, (flag == 1 && captured > 1) ? 1 : 0, items);
    makeArray(items, r);  // at most 65,536 groups: always fits
    const int64_t after = matcher.characterPosition() + 1;
    vm.setExtended(after <= INT32_MAX ? Variant::fromInt32(static_cast<int32_t>(after)) : Variant::fromInt64(after));
    return 0;
  }

  // Global: flag 3 flattens the groups of all matches, flag 4 keeps one
  // array per match.
  for (int captured; (captured = matcher.match(true)) > 0;) {
    if (flag == 3) {
      collectGroups(matcher, captured, captured > 1 ? 1 : 0, items);
    } else {
      std::vector<Variant> groups;
      collectGroups(matcher, captured, 0, groups);
      items.emplace_back();
      makeArray(groups, items.back());
    }
    // Stop collecting once the result cannot be an array any more.
    if (items.size() > kMaxArrayElements) break;
  }
  if (items.empty()) {
    vm.setError(1);
    return 0;
  }
  if (!makeArray(items, r)) {
    vm.raiseFatal(MessageId::ArrayTooLarge, 0);
    return 1;
  }
  return 0;
}

int stringRegExpReplace(Interpreter& vm, Variant* a, int count, Variant& r) {
  const String& replacement = a[2].stringForm();
  const int64_t limit = count > 3 ? a[3].toInt64() : 0;

  RegexMatcher matcher;
  if (!matcher.compile(a[1].stringForm())) {
    r.setString(a[0].stringForm());
    return compileFailed(vm, matcher);
  }
  matcher.setSubject(a[0].stringForm());
  const String& subject = matcher.subject();
  if (subject.empty()) {
    r.setString(String());
    return 0;
  }

  String out;
  size_t copied = 0;
  int64_t replaced = 0;
  int64_t references = 0;
  while ((limit <= 0 || replaced < limit) && matcher.match(true) > 0) {
    const size_t start = matcher.matchStart();
    if (start > copied) out.append(subject.data() + copied, start - copied);
    references += std::max<int64_t>(1, expandReplacement(matcher, replacement, out));
    copied = std::max(copied, matcher.matchEnd());
    ++replaced;
  }
  if (copied < subject.length()) out.append(subject.data() + copied, subject.length() - copied);
  r.setString(std::move(out));
  vm.setExtended(references <= INT32_MAX ? Variant::fromInt32(static_cast<int32_t>(references))
                                         : Variant::fromInt64(references));
  return 0;
}

}  // namespace

void registerRegexBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::STRINGREGEXP, stringRegExp);
  vm.registerBuiltin(BuiltinId::STRINGREGEXPREPLACE, stringRegExpReplace);
}

}  // namespace vx

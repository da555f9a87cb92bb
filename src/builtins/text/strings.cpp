// The string family: character codes, measuring, cutting, case and line
// ends. Searching, classes and splitting live in their own files; this one
// registers them all. Lengths and positions count UTF-16 code units.
#include <cstring>

#include "builtins/registry.h"
#include "builtins/text/string_builtins.h"
#include "engine/interpreter.h"
#include "platform/platform.h"
#include "platform/text_locale.h"

namespace vx {

namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

int asc(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  int32_t code = 0;
  if (!s.empty()) {
    // A surrogate pair is one character to the code page.
    const size_t n = s.length() > 1 && isHighSurrogate(s[0]) && isLowSurrogate(s[1]) ? 2 : 1;
    const std::string bytes = platform::utf16ToAnsi(String(s.data(), n));
    if (!bytes.empty()) code = static_cast<unsigned char>(bytes[0]);
  }
  r.setInt32(code);
  return 0;
}

int ascW(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  r.setInt32(s.empty() ? 0 : s[0]);
  return 0;
}

void setUnit(Variant& r, char16_t unit) { r.setString(String(&unit, 1)); }

int chr(Interpreter& vm, Variant* a, int, Variant& r) {
  const int32_t code = a[0].toInt32();
  if (code > 255) {
    r.setString(String());
    vm.setError(1);
  } else if (code >= 128) {
    const char byte = static_cast<char>(code);
    r.setString(platform::ansiToUtf16(&byte, 1));
  } else {
    setUnit(r, static_cast<char16_t>(code));
  }
  return 0;
}

int chrW(Interpreter& vm, Variant* a, int, Variant& r) {
  const int32_t code = a[0].toInt32();
  if (code > 65535) {
    r.setString(String());
    vm.setError(1);
  } else {
    setUnit(r, static_cast<char16_t>(code));
  }
  return 0;
}

int stringOf(Interpreter&, Variant* a, int, Variant& r) {
  r.setString(a[0].stringForm());
  return 0;
}

int stringLen(Interpreter&, Variant* a, int, Variant& r) {
  r.setInt32(static_cast<int32_t>(a[0].stringForm().length()));
  return 0;
}

// `count` clamped to 0..length.
size_t clampCount(int32_t count, size_t length) {
  if (count < 0) return 0;
  return static_cast<size_t>(count) > length ? length : static_cast<size_t>(count);
}

int stringLeft(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  r.setString(s.substr(0, clampCount(a[1].toInt32(), s.length())));
  return 0;
}

int stringRight(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  const size_t n = clampCount(a[1].toInt32(), s.length());
  r.setString(s.substr(s.length() - n, n));
  return 0;
}

int stringMid(Interpreter&, Variant* a, int count, Variant& r) {
  const String& s = a[0].stringForm();
  const int32_t start = a[1].toInt32();
  if (start < 1 || static_cast<size_t>(start) > s.length()) {
    r.setString(String());
    return 0;
  }
  const size_t rest = s.length() - static_cast<size_t>(start - 1);
  const int32_t n = count > 2 ? a[2].toInt32() : -1;
  r.setString(s.substr(static_cast<size_t>(start - 1), n < 0 ? rest : clampCount(n, rest)));
  return 0;
}

int stringTrimLeft(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  const size_t n = clampCount(a[1].toInt32(), s.length());
  r.setString(s.substr(n, s.length() - n));
  return 0;
}

int stringTrimRight(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  r.setString(s.substr(0, s.length() - clampCount(a[1].toInt32(), s.length())));
  return 0;
}

// ASCII text is mapped here; anything else goes to the system whole, as its
// mapping may depend on the neighbouring units.
template <bool Upper>
int changeCase(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  String out(s.data(), s.length());
  char16_t* units = out.mutableData();
  const size_t n = out.length();
  char16_t seen = 0;
  for (size_t i = 0; i < n; ++i) seen |= units[i];
  if (seen >= 128) {
    if (Upper) platform::upperCaseInPlace(units, n);
    else platform::lowerCaseInPlace(units, n);
  } else {
    const char16_t first = Upper ? u'a' : u'A';
    for (size_t i = 0; i < n; ++i) {
      if (static_cast<char16_t>(units[i] - first) < 26) units[i] ^= 0x20;
    }
  }
  r.setString(std::move(out));
  return 0;
}

int stringAddCr(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  String out;
  out.reserve(s.length() + s.length() / 8);
  const char16_t* units = s.data();
  size_t begin = 0;
  for (size_t i = 0; i < s.length(); ++i) {
    if (units[i] != u'\n') continue;
    out.append(units + begin, i - begin);
    out.append(u'\r');
    begin = i;
  }
  out.append(units + begin, s.length() - begin);
  r.setString(std::move(out));
  return 0;
}

int stringStripCr(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  String out;
  out.reserve(s.length());
  const char16_t* units = s.data();
  size_t begin = 0;
  for (size_t i = 0; i < s.length(); ++i) {
    if (units[i] != u'\r') continue;
    out.append(units + begin, i - begin);
    begin = i + 1;
  }
  out.append(units + begin, s.length() - begin);
  r.setString(std::move(out));
  return 0;
}

int stringStripWs(Interpreter&, Variant* a, int, Variant& r) {
  const String& s = a[0].stringForm();
  const int32_t flags = a[1].toInt32();
  const char16_t* units = s.data();
  size_t begin = 0, end = s.length();
  String out;
  if (flags == 8) {
    out.reserve(end);
    for (size_t i = 0; i < end; ++i) {
      if (!isAsciiSpace(units[i])) out.append(units[i]);
    }
    r.setString(std::move(out));
    return 0;
  }
  if (flags & 1) {
    while (begin < end && isAsciiSpace(units[begin])) ++begin;
  }
  if (flags & 2) {
    while (end > begin && isAsciiSpace(units[end - 1])) --end;
  }
  if (!(flags & 4)) {
    r.setString(s.substr(begin, end - begin));
    return 0;
  }
  out.reserve(end - begin);
  for (size_t i = begin; i < end; ++i) {
    if (isAsciiSpace(units[i]) && i > begin && isAsciiSpace(units[i - 1])) continue;
    out.append(units[i]);
  }
  r.setString(std::move(out));
  return 0;
}

}  // namespace

void registerStringBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::ASC, asc);
  vm.registerBuiltin(BuiltinId::ASCW, ascW);
  vm.registerBuiltin(BuiltinId::CHR, chr);
  vm.registerBuiltin(BuiltinId::CHRW, chrW);
  vm.registerBuiltin(BuiltinId::STRING, stringOf);
  vm.registerBuiltin(BuiltinId::STRINGLEN, stringLen);
  vm.registerBuiltin(BuiltinId::STRINGLEFT, stringLeft);
  vm.registerBuiltin(BuiltinId::STRINGRIGHT, stringRight);
  vm.registerBuiltin(BuiltinId::STRINGMID, stringMid);
  vm.registerBuiltin(BuiltinId::STRINGTRIMLEFT, stringTrimLeft);
  vm.registerBuiltin(BuiltinId::STRINGTRIMRIGHT, stringTrimRight);
  vm.registerBuiltin(BuiltinId::STRINGUPPER, changeCase<true>);
  vm.registerBuiltin(BuiltinId::STRINGLOWER, changeCase<false>);
  vm.registerBuiltin(BuiltinId::STRINGADDCR, stringAddCr);
  vm.registerBuiltin(BuiltinId::STRINGSTRIPCR, stringStripCr);
  vm.registerBuiltin(BuiltinId::STRINGSTRIPWS, stringStripWs);
  registerStringSearchBuiltins(vm);
  registerStringClassBuiltins(vm);
  registerStringSplitBuiltins(vm);
}

}  // namespace vx

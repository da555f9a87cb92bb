// ExpandEnvStrings and ExpandVarStrings: references inside a String copied
// from a literal or a variable into an expression are replaced in the copy,
// never in the variable or the token. A doubled marker stands for itself; a
// reference that names nothing stays as written.
#include "engine/interpreter.h"
#include "platform/environment.h"

namespace vx {

namespace {

bool isNameUnit(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
}

bool isName(const String& text) {
  if (text.empty()) return false;
  for (size_t i = 0; i < text.length(); ++i)
    if (!isNameUnit(text[i])) return false;
  return true;
}

// Copies `text` into `out`, giving each reference enclosed in a marker of
// `markers` to `resolve(marker, name, value)`. False when nothing was
// replaced, so the caller can keep the original String.
template <typename Resolve>
bool expandReferences(const String& text, const char16_t* markers, String& out, Resolve resolve) {
  const size_t n = text.length();
  auto isMarker = [markers](char16_t c) {
    for (const char16_t* m = markers; *m; ++m)
      if (*m == c) return true;
    return false;
  };
  bool changed = false;
  size_t i = 0;
  while (i < n) {
    const char16_t c = text[i];
    if (!isMarker(c)) {
      out.append(c);
      ++i;
      continue;
    }
    if (i + 1 < n && text[i + 1] == c) {
      out.append(c);
      i += 2;
      changed = true;
      continue;
    }
    size_t close = i + 1;
    while (close < n && text[close] != c) ++close;
    if (close == n) {  // no closing marker: the rest is plain text
      out.append(text.data() + i, n - i);
      break;
    }
    const String name = text.substr(i + 1, close - i - 1);
    String value;
    if (resolve(c, name, value)) {
      out.append(value);
      changed = true;
    } else {
      out.append(text.data() + i, close - i + 1);
    }
    i = close + 1;
  }
  return changed;
}

}  // namespace

void Interpreter::expandString(Variant& value) {
  if ((expandStrings & kExpandEnvironment) && value.isString()) {
    String out;
    const bool changed = expandReferences(value.asString(), u"%", out, [](char16_t, const String& name, String& found) {
      return !name.empty() && platform::readEnvironmentVariable(name, found);
    });
    if (changed) value.setString(std::move(out));
  }
  if ((expandStrings & kExpandVariables) && value.isString()) {
    String out;
    const bool changed = expandReferences(value.asString(), u"$@", out, [this](char16_t marker, const String& name,
                                                                                 String& found) {
      // Only names a script could write can exist; the check also keeps
      // arbitrary text out of the name table.
      if (!isName(name)) return false;
      const String upper = name.upperAscii();
      if (marker == u'$') {
        const int32_t id = names_.find(upper);
        const Binding* b = id < 0 ? nullptr : findVisible(id);
        if (!b) return false;
        found = b->value->stringForm();
        return true;
      }
      Token macro;
      macro.kind = TokenKind::Macro;
      macro.text = upper;
      macro.value.index = names_.find(upper);  // -1: the macro reader goes by the text
      macro.column = -1;
      // An unknown macro is no error here: read it with reports silenced
      // and keep the reference as written.
      const bool wasSilenced = silenced;
      silenced = true;
      Variant read;
      const bool ok = readMacro(macro, read);
      silenced = wasSilenced;
      if (!ok) return false;
      found = read.stringForm();
      return true;
    });
    if (changed) value.setString(std::move(out));
  }
}

}  // namespace vx

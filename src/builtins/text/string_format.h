// StringFormat: printf-style conversions done by our own code, so the native
// and Windows builds give the same text (the C runtimes disagree on exponent
// digits, infinities, rounding of ties and string padding).
//
// Behaviour follows the Windows runtime where it is a matter of taste:
// exponents have at least three digits, a tie rounds away from zero, "%05s"
// pads with zeros, infinities and NaNs read 1.#INF, 1.#QNAN, -1.#IND.
// Everything else is what printf does with the same one value.
#pragma once

#include <cstddef>
#include <cstdint>

#include "values/string.h"

namespace vx {

class Variant;

// Longest output of one conversion; longer output is cut there.
constexpr size_t kFormatFieldLimit = 65535;

// One conversion "%[flag][width][.precision][size]letter". A "*" width or
// precision is taken as absent: only one value goes with a conversion.
struct FormatSpec {
  char flag = 0;        // 0 or one of "-+ 0#"
  int width = -1;       // -1: none; capped at kFormatFieldLimit + 1
  int precision = -1;   // -1: none; capped at kFormatFieldLimit + 1
  char size = 0;        // 0, 'h', 'l' or 'L'; only "h" on integers matters
  char conversion = 0;  // one of "diouxXeEfgGs"
};

enum class FormatTokenKind { Escape, Percent, Conversion };

struct FormatToken {
  size_t start = 0;
  size_t length = 0;
  FormatTokenKind kind = FormatTokenKind::Percent;
  char16_t escaped = 0;  // Escape: the unit it stands for
  FormatSpec request;       // Conversion only
};

// The next token at or after `from`: "\\", "\n", "\r", "\t", "%%" or a
// conversion. Anything else (an unknown letter, two flags) is plain text.
bool findFormatToken(const char16_t* text, size_t length, size_t from, FormatToken* token);

// Each appends at most kFormatFieldLimit units to `out`.
void formatInteger(const FormatSpec& request, int32_t value, String& out);
void formatFloating(const FormatSpec& request, double value, String& out);
void formatText(const FormatSpec& request, const char16_t* units, size_t length, String& out);

// The whole of STRINGFORMAT: values beyond the conversions are ignored, a
// conversion without a value is dropped.
String stringFormat(const String& format, const Variant* values, int count);

}  // namespace vx

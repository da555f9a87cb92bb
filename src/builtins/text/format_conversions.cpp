// The conversions of StringFormat, one value each. A field is built as
// sign/prefix + body and then padded; zero padding goes between the two.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "builtins/text/decimal_digits.h"
#include "builtins/text/string_format.h"

namespace vx {

namespace {

// Pads to the width and appends, cut at the field limit.
void appendField(const FormatSpec& request, const std::string& prefix, const std::string& body, bool zeroPad,
                 String& out) {
  const size_t natural = prefix.size() + body.size();
  const size_t width = request.width > 0 ? static_cast<size_t>(request.width) : 0;
  const size_t padding = width > natural ? width - natural : 0;
  std::string field;
  field.reserve(natural + padding);
  if (request.flag == '-') {
    field += prefix;
    field += body;
    field.append(padding, ' ');
  } else if (zeroPad) {
    field += prefix;
    field.append(padding, '0');
    field += body;
  } else {
    field.append(padding, ' ');
    field += prefix;
    field += body;
  }
  if (field.size() > kFormatFieldLimit) field.resize(kFormatFieldLimit);
  out.appendAscii(field.c_str());
}

std::string unsignedDigits(uint32_t value, char conversion) {
  const unsigned base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
  const char* digitSet = conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string digits;
  while (value) {
    digits.insert(digits.begin(), digitSet[value % base]);
    value /= base;
  }
  return digits;
}

// The digit of the decimal place 10^power.
char digitAt(const DecimalDigits& d, int power) {
  const long index = static_cast<long>(d.pointPosition) - 1 - power;
  if (index < 0 || index >= static_cast<long>(d.digits.size())) return '0';
  return d.digits[static_cast<size_t>(index)];
}

// d is already rounded to `precision` places.
std::string fixedBody(const DecimalDigits& d, int precision, bool alwaysPoint) {
  std::string body;
  const int highest = d.digits.empty() || d.pointPosition <= 0 ? 0 : d.pointPosition - 1;
  body.reserve(static_cast<size_t>(highest + precision + 2));
  for (int power = highest; power >= 0; --power) body += digitAt(d, power);
  if (precision > 0 || alwaysPoint) body += '.';
  for (int power = -1; power >= -precision; --power) body += digitAt(d, power);
  return body;
}

// d is already rounded to precision + 1 significant digits.
std::string exponentBody(const DecimalDigits& d, int precision, bool alwaysPoint, char letter) {
  std::string body;
  body += d.digits.empty() ? '0' : d.digits[0];
  if (precision > 0 || alwaysPoint) body += '.';
  for (int i = 1; i <= precision; ++i)
    body += i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<size_t>(i)] : '0';
  int exponent = d.digits.empty() ? 0 : d.pointPosition - 1;
  body += letter;
  body += exponent < 0 ? '-' : '+';
  if (exponent < 0) exponent = -exponent;
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", exponent);
  body += digits;
  return body;
}

void stripTrailingZeros(std::string& body) {
  const size_t point = body.find('.');
  if (point == std::string::npos) return;
  const size_t exponent = body.find_first_of("eE", point);
  const size_t end = exponent == std::string::npos ? body.size() : exponent;
  size_t keep = end;
  while (keep > point + 1 && body[keep - 1] == '0') --keep;
  if (keep == point + 1) keep = point;
  body.erase(keep, end - keep);
}

std::string specialBody(double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  if (std::isinf(value)) return "1.#INF";
  return bits == 0xFFF8000000000000ull ? "1.#IND" : "1.#QNAN";
}

}  // namespace

void formatInteger(const FormatSpec& request, int32_t value, String& out) {
  const char c = request.conversion;
  const bool isSigned = c == 'd' || c == 'i';
  std::string prefix;
  uint32_t magnitude;
  if (isSigned) {
    const int32_t v = request.size == 'h' ? static_cast<int16_t>(value) : value;
    magnitude = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    if (v < 0) prefix = "-";
    else if (request.flag == '+') prefix = "+";
    else if (request.flag == ' ') prefix = " ";
  } else {
    magnitude = request.size == 'h' ? static_cast<uint16_t>(value) : static_cast<uint32_t>(value);
  }
  std::string digits = unsignedDigits(magnitude, c);
  const size_t minimum = request.precision < 0 ? 1 : static_cast<size_t>(request.precision);
  if (digits.size() < minimum) digits.insert(0, minimum - digits.size(), '0');
  if (request.flag == '#') {
    if (c == 'o' && (digits.empty() || digits[0] != '0')) digits.insert(digits.begin(), '0');
    if ((c == 'x' || c == 'X') && magnitude != 0) prefix = c == 'x' ? "0x" : "0X";
  }
  appendField(request, prefix, digits, request.flag == '0' && request.precision < 0, out);
}

void formatFloating(const FormatSpec& request, double value, String& out) {
  std::string prefix;
  if (std::signbit(value)) prefix = "-";
  else if (request.flag == '+') prefix = "+";
  else if (request.flag == ' ') prefix = " ";
  if (!std::isfinite(value)) {
    appendField(request, prefix, specialBody(value), false, out);
    return;
  }
  const bool alwaysPoint = request.flag == '#';
  const char c = request.conversion;
  const int precision = request.precision < 0 ? 6 : request.precision;
  DecimalDigits d = exactDecimalDigits(value);
  std::string body;
  if (c == 'f') {
    roundDecimalDigits(d, d.pointPosition + precision);
    body = fixedBody(d, precision, alwaysPoint);
  } else if (c == 'e' || c == 'E') {
    roundDecimalDigits(d, precision + 1);
    body = exponentBody(d, precision, alwaysPoint, c);
  } else {  // g, G: the shorter of the two by the decimal exponent after rounding
    const int significant = precision == 0 ? 1 : precision;
    roundDecimalDigits(d, significant);
    const int exponent = d.digits.empty() ? 0 : d.pointPosition - 1;
    if (exponent >= -4 && exponent < significant)
      body = fixedBody(d, significant - 1 - exponent, alwaysPoint);
    else
      body = exponentBody(d, significant - 1, alwaysPoint, c == 'g' ? 'e' : 'E');
    if (!alwaysPoint) stripTrailingZeros(body);
  }
  appendField(request, prefix, body, request.flag == '0', out);
}

void formatText(const FormatSpec& request, const char16_t* units, size_t length, String& out) {
  if (request.precision >= 0 && static_cast<size_t>(request.precision) < length) length = static_cast<size_t>(request.precision);
  if (length > kFormatFieldLimit) length = kFormatFieldLimit;
  const size_t width = request.width > 0 ? static_cast<size_t>(request.width) : 0;
  size_t padding = width > length ? width - length : 0;
  if (padding > kFormatFieldLimit - length) padding = kFormatFieldLimit - length;
  const char16_t pad = request.flag == '0' ? u'0' : u' ';
  if (request.flag != '-')
    for (size_t i = 0; i < padding; ++i) out.append(pad);
  out.append(units, length);
  if (request.flag == '-')
    for (size_t i = 0; i < padding; ++i) out.append(u' ');
}

}  // namespace vx

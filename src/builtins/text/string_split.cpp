// StringSplit and the conversions between strings and arrays of codes.
#include <string>

#include "builtins/text/string_builtins.h"
#include "engine/interpreter.h"
#include "platform/platform.h"
#include "platform/text_locale.h"

namespace vx {

namespace {

// Calls emit(start, length) for each piece between delimiter units; returns
// the number of pieces. Run once to count and once to store.
template <typename Emit>
size_t cutAtUnits(const String& text, const String& delimiters, Emit emit) {
  const char16_t* s = text.data();
  const size_t n = text.length();
  const char16_t* d = delimiters.data();
  const size_t dn = delimiters.length();
  size_t begin = 0, pieces = 0;
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = s[i];
    bool cut = c == d[0];
    for (size_t k = 1; k < dn && !cut; ++k) cut = c == d[k];
    if (cut) {
      emit(pieces++, begin, i - begin);
      begin = i + 1;
    }
  }
  emit(pieces++, begin, n - begin);
  return pieces;
}

// The same around whole, non-overlapping occurrences of `delimiter`.
template <typename Emit>
size_t cutAtString(const String& text, const String& delimiter, Emit emit) {
  const char16_t* s = text.data();
  const size_t n = text.length();
  const char16_t* d = delimiter.data();
  const size_t m = delimiter.length();
  size_t begin = 0, pieces = 0;
  for (size_t i = 0; i + m <= n;) {
    if (s[i] == d[0] && std::char_traits<char16_t>::compare(s + i, d, m) == 0) {
      emit(pieces++, begin, i - begin);
      i = begin = i + m;
    } else {
      ++i;
    }
  }
  emit(pieces++, begin, n - begin);
  return pieces;
}

template <typename Emit>
size_t cut(const String& text, const String& delimiters, bool wholeString, Emit emit) {
  if (delimiters.empty()) {
    for (size_t i = 0; i < text.length(); ++i) emit(i, i, 1);
    return text.length();
  }
  return wholeString ? cutAtString(text, delimiters, emit) : cutAtUnits(text, delimiters, emit);
}

int stringSplit(Interpreter& vm, Variant* a, int count, Variant& r) {
  const String text = a[0].stringForm();
  const String delimiters = a[1].stringForm();
  const int32_t flags = count > 2 ? a[2].toInt32() : 0;
  const bool countless = (flags & 2) != 0;
  const int32_t kind = flags & ~2;
  const bool wholeString = kind == 1;
  const auto ignore = [](size_t, size_t, size_t) {};
  size_t pieces = 1;
  int32_t error = 0;
  if (!countless && kind != 0 && kind != 1) {
    error = 2;
  } else {
    pieces = cut(text, delimiters, wholeString, ignore);
    if (pieces == 1 && !delimiters.empty()) error = 1;  // no delimiter found
  }
  const uint32_t offset = countless ? 0 : 1;
  if (pieces + offset > kMaxArrayElements) {
    r.setString(String());
    vm.setError(1);
    return 0;
  }
  const uint32_t size = static_cast<uint32_t>(pieces + offset);
  if (size == 0) {
    r.makeEmptyArray();
  } else if (!r.dimension(&size, 1)) {
    r.setString(String());
    vm.setError(1);
    return 0;
  }
  // The array is new and private, its slots contiguous.
  Variant* slots = r.elementAtLinear(0, true);
  if (!countless) slots[0].setInt32(static_cast<int32_t>(pieces));
  const auto store = [&](size_t index, size_t start, size_t length) {
    slots[index + offset].setString(String(text.data() + start, length));
  };
  if (error != 0) {
    store(0, 0, text.length());
    vm.setError(error);
  } else {
    cut(text, delimiters, wholeString, store);
  }
  return 0;
}

// One element per unit or byte; an empty selection still gives one element.
template <typename Code>
void storeCodes(const Code* codes, size_t n, int32_t emptyCode, Variant& r) {
  const uint32_t size = n == 0 ? 1 : static_cast<uint32_t>(n);
  if (!r.dimension(&size, 1)) return;
  if (n == 0) r.elementAtLinear(0, true)->setInt32(emptyCode);
  for (size_t i = 0; i < n; ++i) r.elementAtLinear(static_cast<uint32_t>(i), true)->setInt32(static_cast<int32_t>(codes[i]));
}

int stringToAsciiArray(Interpreter&, Variant* a, int count, Variant& r) {
  const String text = a[0].stringForm();
  const int64_t length = static_cast<int64_t>(text.length());
  int64_t end = count > 2 ? a[2].toInt32() : length;
  if (end > length) end = length;
  if (end < 0) end = 0;
  int64_t start = count > 1 ? a[1].toInt32() : 0;
  if (start > end || start < 0) start = 0;
  const int32_t encoding = count > 3 ? a[3].toInt32() : 0;
  const char16_t* from = text.data() + start;
  const size_t n = static_cast<size_t>(end - start);
  if (encoding == 1 || encoding == 2) {
    const std::string bytes =
        encoding == 1 ? platform::utf16ToAnsi(String(from, n)) : platform::utf16ToUtf8(from, n);
    storeCodes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0, r);
  } else {
    // At the end of the string the code read is the terminating 0.
    storeCodes(from, n, static_cast<int32_t>(*from), r);
  }
  return 0;
}

int stringFromAsciiArray(Interpreter& vm, Variant* a, int count, Variant& r) {
  if (!a[0].isArray()) {
    r.setString(String());
    vm.setError(1);
    return 0;
  }
  Variant& array = a[0];
  // A zero size in a later dimension leaves no elements at all.
  const int64_t size = array.elementCount() == 0 ? 0 : array.dimensionSize(0);
  int64_t end = count > 2 ? a[2].toInt32() : -1;
  if (end < 0 || end > size) end = size;
  int64_t start = count > 1 ? a[1].toInt32() : 0;
  if (start > end || start < 0) start = 0;
  const int32_t encoding = count > 3 ? a[3].toInt32() : 0;
  const auto code = [&array](int64_t i) { return array.elementAtLinear(static_cast<uint32_t>(i), false)->toInt32(); };
  if (encoding == 1 || encoding == 2) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(end - start));
    for (int64_t i = start; i < end; ++i) {
      const char byte = static_cast<char>(code(i));
      if (byte == 0) break;
      bytes.push_back(byte);
    }
    r.setString(encoding == 1 ? platform::ansiToUtf16(bytes.data(), bytes.size())
                              : platform::utf8ToUtf16(bytes.data(), bytes.size()));
    return 0;
  }
  String out;
  out.resize(static_cast<size_t>(end - start));
  char16_t* units = out.mutableData();
  for (int64_t i = start; i < end; ++i) units[i - start] = static_cast<char16_t>(code(i));
  r.setString(std::move(out));
  return 0;
}

}  // namespace

void registerStringSplitBuiltins(Interpreter& vm) {
  vm.registerBuiltin(BuiltinId::STRINGSPLIT, stringSplit);
  vm.registerBuiltin(BuiltinId::STRINGTOASCIIARRAY, stringToAsciiArray);
  vm.registerBuiltin(BuiltinId::STRINGFROMASCIIARRAY, stringFromAsciiArray);
}

}  // namespace vx

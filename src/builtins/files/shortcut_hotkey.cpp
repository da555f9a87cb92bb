#include "builtins/files/shortcut_hotkey.h"

namespace vx {

namespace {

constexpr KeyNameKind P = KeyNameKind::Plain;
constexpr KeyNameKind S = KeyNameKind::Special;

}  // namespace

const KeyName kKeyNames[] = {
    {"ALT", 18, S},
    {"BACKSPACE", 8, P}, {"BS", 8, P}, {"DEL", 46, P}, {"DELETE", 46, P}, {"DOWN", 40, P}, {"END", 35, P},
    {"ENTER", 13, P}, {"ESC", 27, P}, {"ESCAPE", 27, P},
    {"F1", 112, P}, {"F2", 113, P}, {"F3", 114, P}, {"F4", 115, P}, {"F5", 116, P}, {"F6", 117, P},
    {"F7", 118, P}, {"F8", 119, P}, {"F9", 120, P}, {"F10", 121, P}, {"F11", 122, P}, {"F12", 123, P},
    {"HOME", 36, P}, {"INS", 45, P}, {"INSERT", 45, P}, {"LEFT", 37, P}, {"PGDN", 34, P}, {"PGUP", 33, P},
    {"RIGHT", 39, P}, {"SPACE", 32, P}, {"TAB", 9, P}, {"UP", 38, P}, {"PRINTSCREEN", 44, P},
    {"LWIN", 91, P}, {"RWIN", 92, P}, {"SCROLLLOCK", 145, P}, {"NUMLOCK", 144, P}, {"BREAK", 3, P},
    {"PAUSE", 19, P}, {"CAPSLOCK", 20, P},
    {"NUMPAD0", 96, P}, {"NUMPAD1", 97, P}, {"NUMPAD2", 98, P}, {"NUMPAD3", 99, P}, {"NUMPAD4", 100, P},
    {"NUMPAD5", 101, P}, {"NUMPAD6", 102, P}, {"NUMPAD7", 103, P}, {"NUMPAD8", 104, P}, {"NUMPAD9", 105, P},
    {"NUMPADMULT", 106, P}, {"NUMPADADD", 107, P}, {"NUMPADSUB", 109, P}, {"NUMPADDOT", 110, P},
    {"NUMPADDIV", 111, P}, {"APPSKEY", 93, P}, {"LCTRL", 162, P}, {"RCTRL", 163, P}, {"LALT", 164, P},
    {"RALT", 165, P}, {"LSHIFT", 160, S}, {"RSHIFT", 161, S}, {"SLEEP", 95, P}, {"NUMPADENTER", 13, S},
    {"BROWSER_BACK", 166, P}, {"BROWSER_FORWARD", 167, P}, {"BROWSER_REFRESH", 168, P},
    {"BROWSER_STOP", 169, P}, {"BROWSER_SEARCH", 170, P}, {"BROWSER_FAVORTIES", 171, P},
    {"BROWSER_HOME", 172, P}, {"VOLUME_MUTE", 173, P}, {"VOLUME_DOWN", 174, P}, {"VOLUME_UP", 175, P},
    {"MEDIA_NEXT", 176, P}, {"MEDIA_PREV", 177, P}, {"MEDIA_STOP", 178, P}, {"MEDIA_PLAY_PAUSE", 179, P},
    {"LAUNCH_MAIL", 180, P}, {"LAUNCH_MEDIA", 181, P}, {"LAUNCH_APP1", 182, P}, {"LAUNCH_APP2", 183, P},
    {"MOUSE_LBUTTON", 1, P}, {"MOUSE_RBUTTON", 2, P}, {"MOUSE_MBUTTON", 4, P}, {"MOUSE_XBUTTON1", 5, P},
    {"MOUSE_XBUTTON2", 6, P},
    {"CTRLDOWN", 17, S}, {"CTRLUP", 17, S}, {"ALTDOWN", 18, S}, {"ALTUP", 18, S}, {"SHIFTDOWN", 16, S},
    {"SHIFTUP", 16, S}, {"LWINDOWN", 91, S}, {"LWINUP", 91, S}, {"RWINDOWN", 92, S}, {"RWINUP", 92, S},
    {"ASC", 0, KeyNameKind::Character},
};
const size_t kKeyNameCount = sizeof kKeyNames / sizeof kKeyNames[0];

namespace {

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool sameWord(const char16_t* text, size_t length, const char* word) {
  size_t i = 0;
  for (; i < length && word[i]; ++i)
    if (upper(text[i]) != static_cast<unsigned char>(word[i])) return false;
  return i == length && !word[i];
}

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

const KeyName* findKeyName(const char16_t* name, size_t length) {
  for (size_t i = 0; i < kKeyNameCount; ++i)
    if (sameWord(name, length, kKeyNames[i].name)) return &kKeyNames[i];
  return nullptr;
}

KeyArgument parseKeyArgument(const char16_t* text, size_t length) {
  KeyArgument argument;
  if (sameWord(text, length, "DOWN")) argument.word = KeyArgument::Word::Down;
  else if (sameWord(text, length, "UP")) argument.word = KeyArgument::Word::Up;
  else if (sameWord(text, length, "ON")) argument.word = KeyArgument::Word::On;
  else if (sameWord(text, length, "OFF")) argument.word = KeyArgument::Word::Off;
  if (argument.word != KeyArgument::Word::None) return argument;

  int64_t value = 0;
  if (length >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
    // Up to 8 hexadecimal digits, all of them valid, or the value is 0.
    const size_t digits = length - 2;
    if (digits > 0 && digits <= 8) {
      for (size_t i = 2; i < length && value >= 0; ++i) {
        const int d = hexDigit(text[i]);
        value = d < 0 ? -1 : value * 16 + d;
      }
    }
    if (value < 0) value = 0;
    value = static_cast<int32_t>(static_cast<uint32_t>(value));
  } else {
    // A decimal count: an optional sign, then the leading digits.
    size_t i = 0;
    const bool negative = i < length && text[i] == u'-';
    if (i < length && (text[i] == u'-' || text[i] == u'+')) ++i;
    for (; i < length && text[i] >= u'0' && text[i] <= u'9' && value <= 0x7FFFFFFF; ++i)
      value = value * 10 + (text[i] - u'0');
    if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
    if (negative) value = -value;
  }
  argument.count = value > 0 ? static_cast<int32_t>(value) : 1;
  return argument;
}

SingleKey parseSingleKey(const String& keys) {
  SingleKey key;
  const char16_t* s = keys.data();
  const size_t n = keys.length();
  for (size_t i = 0; i < n; ++i) {
    switch (s[i]) {
      case u'!': key.alt = true; continue;
      case u'+': key.shift = true; continue;
      case u'^': key.control = true; continue;
      case u'#': key.win = true; continue;
      default: break;
    }
    if (s[i] != u'{') {
      key.found = true;
      key.character = s[i];
      return key;
    }
    // "{}}" names the closing brace; otherwise the group ends at the next one.
    size_t close = i + 1 < n && s[i + 1] == u'}' && i + 2 < n && s[i + 2] == u'}' ? i + 2 : i + 1;
    while (close < n && s[close] != u'}') ++close;
    if (close >= n) {
      key.found = true;
      key.character = u'{';
      return key;
    }
    const char16_t* content = s + i + 1;
    const size_t length = close - i - 1;
    size_t nameLength = 0;
    while (nameLength < length && content[nameLength] != u' ') ++nameLength;
    if (length > 0) {
      size_t at = nameLength;
      while (at < length && (content[at] == u' ' || content[at] == u'\t')) ++at;
      const KeyArgument argument = parseKeyArgument(content + at, length - at);
      const KeyName* name = findKeyName(content, nameLength);
      if (!name) {  // "{QWERTY}" is a Q; "{ }" a space
        key.found = true;
        key.character = content[0];
        return key;
      }
      if (name->kind != KeyNameKind::Character) {
        key.found = true;
        key.named = true;
        key.virtualKey = name->key;
        return key;
      }
      if (argument.count <= 0xFFFF) {
        key.found = true;
        key.character = static_cast<char16_t>(argument.count);
        return key;
      }
    }
    // A group that sends nothing still uses up the pending modifiers.
    key.shift = key.control = key.alt = key.win = false;
    i = close;
  }
  return key;
}

}  // namespace vx

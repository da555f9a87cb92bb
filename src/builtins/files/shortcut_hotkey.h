// The first key of a key string, with the modifiers written before it:
// "^!{F5}", "+a", "{ENTER}". It follows the key-string rules (modifier
// prefixes, brace groups, the key-name table, unknown names meaning their
// first character) so that the full key-string sender can take this parser
// and its table over. No Win32 here: a character is handed back as a
// character, and the caller maps it onto the keyboard layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "values/string.h"

namespace vx {

enum class KeyNameKind : uint8_t {
  Plain,     // stands for its virtual key
  Special,   // held modifiers, taps with DOWN/UP, NUMPADENTER: act on `key` in their own way
  Character  // ASC: the character whose code is the argument
};

struct KeyName {
  const char* name;  // upper case; names are matched without regard to case
  uint8_t key;       // virtual-key code (0 for ASC)
  KeyNameKind kind;
};

// Every key name, in the order the key-string sender looks them up.
extern const KeyName kKeyNames[];
extern const size_t kKeyNameCount;

const KeyName* findKeyName(const char16_t* name, size_t length);

// What a brace group's argument says after its name: "{a 3}", "{F5 down}",
// "{ASC 0x41}".
struct KeyArgument {
  enum class Word : uint8_t { None, Down, Up, On, Off } word = Word::None;
  int32_t count = 1;  // 1 when missing, zero or negative
};

KeyArgument parseKeyArgument(const char16_t* text, size_t length);

struct SingleKey {
  bool found = false;
  bool named = false;         // `virtualKey` holds the key; otherwise `character` does
  uint8_t virtualKey = 0;
  char16_t character = 0;
  bool shift = false, control = false, alt = false, win = false;
};

// The first key that would be sent, with the modifiers pending for it; a
// string that sends no key gives found == false.
SingleKey parseSingleKey(const String& keys);

}  // namespace vx

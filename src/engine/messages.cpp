#include "engine/messages.h"

#include <algorithm>
#include <iterator>

namespace vx {

namespace {

struct Message {
  int id;
  const char16_t* text;
};

// Kept in ascending id order by the list itself, so lookups can bisect.
constexpr Message kMessages[] = {
#define MESSAGE(id, name, text) {id, u"" text},
#include "resources/messages.def"
#undef MESSAGE
};

}  // namespace

String messageText(int id) {
  auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), id,
                             [](const Message& m, int key) { return m.id < key; });
  if (it == std::end(kMessages) || it->id != id) return String();
  return String(it->text);
}

String messageText(MessageId id) { return messageText(static_cast<int>(id)); }

}  // namespace vx

// The message catalogue: ids and texts of everything the program reports.
#pragma once

#include "values/string.h"

namespace vx {

enum class MessageId : int {
#define MESSAGE(id, name, text) name = id,
#include "resources/messages.def"
#undef MESSAGE
};

// The text of a message, or an empty text for an id that does not exist.
String messageText(MessageId id);
String messageText(int id);

}  // namespace vx

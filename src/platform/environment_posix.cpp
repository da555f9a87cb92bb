#include <cstdlib>
#include <string>

#include "platform/environment.h"

namespace vx::platform {

bool readEnvironmentVariable(const String& name, String& value) {
  const std::string key = name.toUtf8();
  // getenv cannot name a variable with "=" or a NUL in it.
  if (key.empty() || key.find('=') != std::string::npos || key.find('\0') != std::string::npos) return false;
  const char* found = getenv(key.c_str());
  if (!found) return false;
  value = String::fromUtf8(found, std::char_traits<char>::length(found));
  return true;
}

}  // namespace vx::platform

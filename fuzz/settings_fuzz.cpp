// The settings reader on arbitrary documents; what it reads must write and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/app/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const konfex::Settings s = konfex::settingsFromXml(std::string_view(reinterpret_cast<const char*>(data), size));
  const konfex::Settings back = konfex::settingsFromXml(konfex::settingsXml(s));
  if (!(back == s)) __builtin_trap();
  return 0;
}

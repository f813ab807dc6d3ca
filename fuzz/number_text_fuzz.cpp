// Integer text and both address splitters on arbitrary input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/editors/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto v = konfex::parseIntText(text)) {
    (void)*v;
  }
  const auto parts = konfex::splitIpText(text);
  if (parts.valid) {
    for (const auto& p : parts.parts) {
      const auto v = konfex::parseIntText(p);
      if (!v || *v < 0 || *v > 255) __builtin_trap();  // a valid address has four valid bytes
    }
  }
  (void)konfex::ipTextToBytes(text);
  return 0;
}

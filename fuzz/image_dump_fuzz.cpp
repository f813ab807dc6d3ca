// Decoding and formatting an arbitrary file as a configuration image.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/image/image_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const konfex::DecodedImage image = konfex::decodeImage(std::span<const uint8_t>(data, size));
  (void)konfex::formatDumpText(image);
  (void)konfex::formatDumpJson(image);
  return 0;
}

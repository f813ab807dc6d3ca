// Decoding and formatting an arbitrary file as a configuration image.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/image/image_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  konfex::DecodedImage image = konfex::decodeImage(std::span<const uint8_t>(data, size));
  if (image.frames.size() > konfex::kFrameRecordCount || image.connections.size() > konfex::kConnectionRecordCount)
    __builtin_trap();
  // Every record is formatted by the same few lines, whatever it holds: formatting 32 of them reaches all
  // of that code, formatting all 1024 would cost two thirds of the inputs a second. The JSON form
  // (konfex-cli dump --json) is a plain mapping of these fields through nlohmann-json and stays out.
  if (image.frames.size() > 32) image.frames.resize(32);
  (void)konfex::formatDumpText(image);
  return 0;
}

// The EDS decoder on arbitrary files: it never fails, keeps its limits, and gives the same list whether
// the file arrives at once, in blocks of any size, or decoded to UTF-8 first.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/editors/eds.h"
#include "core/io/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // Blocks as small as one byte put an edge everywhere; larger ones keep the inputs a second up.
  static constexpr size_t kBlocks[] = {1, 2, 3, 7, 64, 333, 4096, 65536};
  const size_t block = kBlocks[data[0] % 8];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const auto list = konfex::decodeEdsFileBytes(bytes);
  for (size_t i = 0; i < list.size(); ++i) {
    const konfex::ConnData& c = list[i];
    if (c.connIndex != static_cast<int32_t>(i + 1) || c.raw.pathBytes.size() > konfex::kEdsMaxPathBytes ||
        c.raw.pathBytes.size() < 8 || !konfex::isValidUtf8(c.connName) || !konfex::isValidUtf8(c.helpStr))
      __builtin_trap();
    (void)konfex::edsGridTexts(c);
  }
  if (konfex::detail::decodeEdsFileBytesInBlocks(bytes, block) != list) __builtin_trap();
  // Decoding first can only differ where Windows-1252 letters grow past a line's or an entry's limit.
  if (bytes.size() <= konfex::kEdsMaxLineBytes / 3 && konfex::decodeEds(konfex::decodeTextFile(bytes)) != list)
    __builtin_trap();
  return 0;
}

// The image compiler on arbitrary project files: the input is split at NUL bytes into the four files.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/image/bank_image.h"
#include "core/io/xml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::optional<std::string> files[4];
  for (auto& file : files) {
    if (rest.empty()) break;
    const size_t cut = rest.find('\0');
    file = std::string(rest.substr(0, cut));
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  const konfex::ProjectTexts texts{files[0], files[1], files[2], files[3]};
  try {
    const konfex::CompileResult r = konfex::compileImage(texts, konfex::ProjectPaths::in("fuzz"));
    if (r.frameRecords > konfex::kFrameRecordCount || r.connectionRecords > konfex::kConnectionRecordCount)
      __builtin_trap();
  } catch (const konfex::XmlError&) {
  }
  return 0;
}

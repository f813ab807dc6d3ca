// Decoding and applying a language file; the table it yields must survive its own language-file form.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/io/text.h"
#include "core/lang/text_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string decoded = konfex::decodeTextFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!konfex::isValidUtf8(decoded)) __builtin_trap();
  konfex::TextTable table;
  table.applyLanguageText(decoded);
  konfex::TextTable reloaded;
  reloaded.applyLanguageText(table.toLanguageFile());
  if (!(reloaded == table)) __builtin_trap();
  (void)table.toJson();
  return 0;
}

// Decoding and applying a language file; every entry and message it changes must survive its own line of
// the language-file form (the lines of unchanged entries are the defaults', which a unit test reloads).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/io/text.h"
#include "core/lang/messages.h"
#include "core/lang/text_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The tables live across inputs and are put back to the defaults where an input changed them: building
  // or reloading all 2400 texts per input would be nearly all of the work.
  static const konfex::TextTable defaults;
  static konfex::TextTable table;
  static konfex::TextTable reloaded;
  const std::string decoded = konfex::decodeTextFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!konfex::isValidUtf8(decoded)) __builtin_trap();
  table.applyLanguageText(decoded);
  for (int i = 0; i < konfex::kTextCount; ++i) {
    if (table[i] == defaults[i]) continue;
    reloaded.applyLanguageText(table.languageFileLine(i));
    if (reloaded[i] != table[i]) __builtin_trap();
    reloaded.set(i, defaults[i]);
    table.set(i, defaults[i]);
  }
  for (const konfex::MessageText& m : konfex::defaultMessages()) {
    if (table.message(m.key) == m.text) continue;
    reloaded.applyLanguageText(table.messageFileLine(m.key));
    if (reloaded.message(m.key) != table.message(m.key)) __builtin_trap();
    reloaded.setMessage(m.key, std::string(m.text));
    table.setMessage(m.key, std::string(m.text));
  }
  return 0;
}

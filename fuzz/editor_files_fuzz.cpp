// The four editors' file readers on arbitrary documents: whatever loads must validate without harm, and what
// OK would write must load back into the same fields and rows.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/editors/editors.h"

namespace {

struct Models {
  std::vector<std::unique_ptr<konfex::EditorModel>> first = konfex::makeEditorModels();
  std::vector<std::unique_ptr<konfex::EditorModel>> second = konfex::makeEditorModels();
  konfex::TextTable texts;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Models models;  // built once: the 512-row grids are the costly part of an input
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (size_t i = 0; i < models.first.size(); ++i) {
    konfex::EditorModel& m = *models.first[i];
    if (m.loadText(text, "fuzz.xml").status != konfex::LoadResult::Status::Loaded) continue;
    (void)m.validate(models.texts);
    (void)m.warnings();
    const std::string written = m.toXml();
    konfex::EditorModel& back = *models.second[i];
    if (back.loadText(written, "fuzz.xml").status != konfex::LoadResult::Status::Loaded) __builtin_trap();
    if (back.toXml() != written) __builtin_trap();
  }
  return 0;
}

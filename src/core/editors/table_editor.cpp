#include "core/editors/table_editor.h"

#include <system_error>

#include "core/editors/editors.h"
#include "core/io/files.h"
#include "core/io/text.h"
#include "core/io/xml.h"
#include "core/lang/messages.h"

namespace konfex {

namespace fs = std::filesystem;

LoadResult EditorModel::load(const fs::path& file) {
  reset();
  malformed_ = false;
  std::error_code ec;
  if (file.empty() || !fs::exists(file, ec)) return {};
  std::string text;
  try {
    text = readFile(file);
  } catch (const FileError& e) {
    malformed_ = true;
    return {LoadResult::Status::Malformed, e.reason()};
  }
  return loadText(text, file);
}

LoadResult EditorModel::loadText(const std::string& xmlText, const fs::path& nameForErrors) {
  reset();
  malformed_ = false;
  try {
    read(xmlText, nameForErrors);
  } catch (const FileError& e) {
    // Whatever was read before the parser gave up is dropped: the dialog shows its defaults.
    reset();
    malformed_ = true;
    return {LoadResult::Status::Malformed, e.reason()};
  }
  return {LoadResult::Status::Loaded, {}};
}

void EditorModel::save(const fs::path& file) {
  const std::string xml = toXml();
  // The damaged file is the user's only copy of what it held: keep it before replacing it.
  std::error_code ec;
  if (malformed_ && fs::exists(file, ec)) keepBackup(file);
  writeFileAtomically(file, xml);
  malformed_ = false;
}

void TableEditor::read(const std::string& xmlText, const fs::path& file) {
  pugi::xml_document doc;
  loadXmlText(doc, xmlText, file, XmlText::DropBlankText);
  int row = 1;
  for (const pugi::xml_node child : firstTopLevelNode(doc).children()) {
    if (row > grid_.rowCount()) break;
    for (int c = 1; c < grid_.columnCount(); ++c) {
      const ColumnLayout& col = grid_.column(c);
      if (!col.fixed.empty()) {
        grid_.setCell(row, c, std::string(col.fixed));
        continue;
      }
      if (const auto text = attributeText(child, col.attribute)) {
        grid_.setCell(row, c, std::string(*text));
      } else if (col.missingRule == Missing::ZeroWhenOnTimerY) {
        // Looks at the OnTimer cell just loaded, which precedes this column.
        int onTimer = 0;
        for (int k = 1; k < c; ++k)
          if (std::string_view(grid_.column(k).attribute) == "OnTimer") onTimer = k;
        grid_.setCell(row, c, onTimer != 0 && grid_.cell(row, onTimer) == "Y" ? "0" : "");
      } else {
        grid_.setCell(row, c, std::string(col.missing));
      }
    }
    ++row;
  }
}

std::string TableEditor::toXml() const {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child(layout().root);
  doc.append_child(pugi::node_comment).set_value(layout().versionComment);
  const int rows = grid_.extent();
  for (int r = 1; r <= rows; ++r) {
    pugi::xml_node row = root.append_child("row");
    for (int c = 1; c < grid_.columnCount(); ++c) {
      const ColumnLayout& col = grid_.column(c);
      row.append_attribute(col.attribute)
          .set_value(col.fixed.empty() ? grid_.cell(r, c).c_str() : std::string(col.fixed).c_str());
    }
  }
  return xmlToString(doc);
}

std::optional<std::string> TableEditor::dropQuestion(const TextTable& texts) const {
  const int row = grid_.firstDroppedRowWithData();
  if (row == 0) return std::nullopt;
  return texts.message(msg::kRowsWouldBeDropped, {std::to_string(row)});
}

std::vector<std::string> TableEditor::warnings() const {
  std::vector<std::string> out;
  if (const int row = grid_.firstDroppedRowWithData(); row != 0)
    out.push_back("row " + std::to_string(row) + " and the rows after it hold data but are not saved: row " +
                  std::to_string(grid_.extent() + 1) + " has an empty key");
  for (int r = 1; r <= grid_.extent(); ++r) {
    const std::string& enable = grid_.cell(r, 1);
    const bool editor = editorSeesEnabled(enable);
    if (editor != compilerSeesEnabled(enable))
      out.push_back("row " + std::to_string(r) + ": Enable \"" + enable + "\" is " + (editor ? "enabled" : "disabled") +
                    " for the editor but " + (editor ? "disabled" : "enabled") + " for the image compiler");
  }
  return out;
}

std::vector<std::unique_ptr<EditorModel>> makeEditorModels() {
  std::vector<std::unique_ptr<EditorModel>> models;
  models.push_back(std::make_unique<ParGenModel>());
  models.push_back(std::make_unique<ConnectionsEditor>());
  models.push_back(std::make_unique<CanFramesEditor>(CanFramesEditor::Direction::Receive));
  models.push_back(std::make_unique<CanFramesEditor>(CanFramesEditor::Direction::Send));
  return models;
}

}  // namespace konfex

// The model behind every editor dialog: it loads its project file, validates as OK does, and writes the
// file as OK does. `konfex-cli check` runs the same models, so what check says is what OK would say.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/editors/grid.h"
#include "core/lang/text_table.h"

namespace konfex {

struct LoadResult {
  enum class Status { Missing, Loaded, Malformed };
  Status status = Status::Missing;
  // For Malformed: the parser's complaint with its position, or why the file cannot be read.
  std::string error;
};

// One editor's file as its dialog sees it.
class EditorModel {
 public:
  virtual ~EditorModel() = default;

  virtual const char* fileName() const = 0;
  // Shows the defaults (or fresh rows), then the file when it exists. A malformed file leaves the defaults
  // and is remembered, so that the next save keeps it as <file>.bak first.
  LoadResult load(const std::filesystem::path& file);
  // The same from a file's text already read; the path only names the file in messages.
  LoadResult loadText(const std::string& xmlText, const std::filesystem::path& nameForErrors);
  // OK's validation: the message the dialog would show, or nullopt when the file may be saved.
  virtual std::optional<std::string> validate(const TextTable& texts) const = 0;
  // What OK writes.
  virtual std::string toXml() const = 0;
  // Writes the file atomically (keeping a damaged file as <file>.bak first); throws FileError.
  void save(const std::filesystem::path& file);

  // The question to ask before saving would drop rows that hold data; nullopt when nothing is lost.
  virtual std::optional<std::string> dropQuestion(const TextTable&) const { return std::nullopt; }
  // What the dialog cannot tell the user: rows saving would drop, Enable texts read differently by the
  // editor and by the image compiler.
  virtual std::vector<std::string> warnings() const { return {}; }

  bool loadedMalformed() const { return malformed_; }

 protected:
  virtual void reset() = 0;
  virtual void read(const std::string& xmlText, const std::filesystem::path& file) = 0;

 private:
  bool malformed_ = false;
};

// A table editor: a grid over a table layout, plus the dialog's own validation walk.
class TableEditor : public EditorModel {
 public:
  Grid& grid() { return grid_; }
  const Grid& grid() const { return grid_; }
  const TableLayout& layout() const { return grid_.layout(); }
  const char* fileName() const override { return grid_.layout().fileName; }

  std::string toXml() const override;
  std::optional<std::string> dropQuestion(const TextTable& texts) const override;
  std::vector<std::string> warnings() const override;

 protected:
  explicit TableEditor(const TableLayout& layout) : grid_(layout) {}
  void reset() override { grid_.freshRows(); }
  void read(const std::string& xmlText, const std::filesystem::path& file) override;
  // The rows whose Enable text the editor and the compiler read differently.
  virtual bool compilerSeesEnabled(const std::string& enable) const = 0;
  virtual bool editorSeesEnabled(const std::string& enable) const = 0;

  Grid grid_;
};

// The four editors of a configuration, in step order: ParGen.xml, EtherNetIP_Master_Rules.xml,
// CAN_Rec_Frames.xml, CAN_Send_Frames.xml.
std::vector<std::unique_ptr<EditorModel>> makeEditorModels();

}  // namespace konfex

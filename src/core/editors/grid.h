// The grid every table editor edits: a fixed number of data rows by a fixed set of columns, every cell a
// text. Column 0 numbers the rows and column 1 is always the Enable check box; hidden columns keep their
// index and travel with every row operation. The row operations, the row clipboard rules, the Enter-key
// walk and the spreadsheet block copy are written once here for all table editors.
#pragma once

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/seams.h"
#include "core/lang/text_table.h"

namespace konfex {

enum class ColumnKind {
  Numbering,  // column 0: the row number, never edited, no part of the data
  CheckBox,   // "Y" checked, "N" unchecked
  FreeText,
  DropDown,   // a choice from the items only
  ComboEdit,  // a choice from the items, or free text
};

// The item lists of the drop-down and combo cells.
enum class Items {
  None,
  CanType,        // "2.0A (11 bits)", "2.0B (29 bits)"
  DimHeader,      // "Default"
  BytePositions,  // "None", "0" ... "1499": one list shared by every byte column
};
std::span<const std::string> itemsOf(Items items);

// What a cell holds when its attribute is missing from the file.
enum class Missing {
  Text,              // ColumnLayout::missing
  ZeroWhenOnTimerY,  // "0" when the row's OnTimer cell, as just loaded, is exactly "Y"; else empty
};

struct ColumnLayout {
  const char* attribute = nullptr;  // XML attribute; nullptr for the numbering column
  int header = -1;                  // text entry of the column header
  int hint = -1;                    // text entry of the header hint; -1 none
  ColumnKind kind = ColumnKind::FreeText;
  Items items = Items::None;
  std::string_view missing;  // for Missing::Text
  Missing missingRule = Missing::Text;
  bool hidden = false;
  // Not empty: the column is never read from the file; loading and saving always give this text.
  std::string_view fixed;
};

// The hint of a data cell: its own text (the connection table) or none (the CAN tables).
enum class DataHint { OwnText, Empty };

struct TableLayout {
  const char* fileName;               // e.g. "EtherNetIP_Master_Rules.xml"
  const char* root;                   // root element written
  const char* versionComment;         // top-level comment written after the root
  int rows;                           // data rows N
  std::vector<ColumnLayout> columns;  // C columns, numbering column first
  int deleteQuestion;                 // text entry asked before Delete Row, followed by the row number
  DataHint dataHint;
  int keyColumn = 2;  // an empty key (after trimming) ends the table's extent
};

class Grid {
 public:
  explicit Grid(const TableLayout& layout);

  const TableLayout& layout() const { return *layout_; }
  int rowCount() const { return layout_->rows; }
  int columnCount() const { return static_cast<int>(layout_->columns.size()); }
  const ColumnLayout& column(int c) const { return layout_->columns[static_cast<size_t>(c)]; }

  // Rows 1..N, columns 0..C-1; column 0 holds the row number.
  const std::string& cell(int row, int col) const { return cells_[index(row, col)]; }
  // Column 0 is never written.
  void setCell(int row, int col, std::string text);

  // Every data row fresh: "Y" in column 1, empty texts elsewhere.
  void freshRows();

  // Rows below move up; row N becomes empty in every data column, Enable included.
  void deleteRow(int row);
  // Rows from `row` move down (row N's content is lost); the row becomes fresh ("Y" when enable).
  void insertRow(int row, bool enable);
  // The texts of columns 1..C-1, hidden ones included.
  std::vector<std::string> copyRow(int row) const;
  // A row is used when a column that is no check box holds a text that is not empty after trimming.
  bool rowIsUsed(int row) const;
  void putRow(int row, const std::vector<std::string>& texts);

  // Number of rows before the first row whose key is empty after trimming.
  int extent() const;
  // The first row after the extent (the empty-key row included) that still holds data (a cell outside the
  // check-box and hidden columns that is not blank), which saving would drop; 0 when none.
  int firstDroppedRowWithData() const;

  // The cell the Enter key moves to from (row, col): the next visible column, else column 1 of the next
  // row, from the last row back to row 1. nullopt when the current cell is in row or column 0.
  struct Cell {
    int row;
    int col;
    bool operator==(const Cell&) const = default;
  };
  std::optional<Cell> enterJumpTarget(int row, int col) const;

  // Spreadsheet exchange over the visible data columns (never the numbering column). The block is
  // tab-separated, rows ending in "\n".
  std::string copyBlock(int firstRow, int lastRow, int firstCol, int lastCol) const;
  // Pastes at (row, col) onward, over visible data columns only; what does not fit is cut. Check-box cells
  // take "Y" for "Y" or "y" and "N" for anything else. Returns the number of cells written.
  int pasteBlock(int row, int col, std::string_view block);

 private:
  size_t index(int row, int col) const {
    return static_cast<size_t>(row - 1) * static_cast<size_t>(columnCount()) + static_cast<size_t>(col);
  }

  void touch(int row) { touched_ = std::max(touched_, row); }

  const TableLayout* layout_;
  std::vector<std::string> cells_;
  // Rows 1..touched_ may differ from fresh rows; freshRows() renews only those, so showing a 512-row table
  // with a short file does not rewrite every row.
  int touched_ = 0;
};

// The row operations of the Copy, Paste and Delete Row buttons, with their questions and errors.
// Copy Row: fills the clipboard; the caller then sets its Do_Copy.
void gridCopyRow(const Grid& grid, int row, std::vector<std::string>& clipboard);
// Paste Row: 1102 unless `copied`, 1101 when the clipboard does not fit, 1100 before overwriting a used row.
// Returns true when the row was written.
bool gridPasteRow(Grid& grid, int row, const std::vector<std::string>& clipboard, bool copied, MessageBoxes& messages,
                  const TextTable& texts);
// Delete Row: asks the dialog's delete question with the row number; true when the row was deleted.
bool gridDeleteRow(Grid& grid, int row, MessageBoxes& messages, const TextTable& texts);

}  // namespace konfex

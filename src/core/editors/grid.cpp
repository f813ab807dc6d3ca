#include "core/editors/grid.h"

#include <array>

#include "core/io/text.h"

namespace konfex {

namespace {

const std::vector<std::string>& bytePositionItems() {
  // Built once: every byte column of both CAN tables shares this list.
  static const std::vector<std::string> items = [] {
    std::vector<std::string> v;
    v.reserve(1501);
    v.emplace_back("None");
    for (int p = 0; p < 1500; ++p) v.push_back(std::to_string(p));
    return v;
  }();
  return items;
}

bool isCheckBox(const ColumnLayout& c) {
  return c.kind == ColumnKind::CheckBox;
}

}  // namespace

std::span<const std::string> itemsOf(Items items) {
  static const std::array<std::string, 2> kCanTypes = {"2.0A (11 bits)", "2.0B (29 bits)"};
  static const std::array<std::string, 1> kDimHeader = {"Default"};
  switch (items) {
    case Items::CanType: return kCanTypes;
    case Items::DimHeader: return kDimHeader;
    case Items::BytePositions: return bytePositionItems();
    case Items::None: break;
  }
  return {};
}

Grid::Grid(const TableLayout& layout) : layout_(&layout) {
  cells_.resize(static_cast<size_t>(rowCount()) * static_cast<size_t>(columnCount()));
  for (int r = 1; r <= rowCount(); ++r) cells_[index(r, 0)] = std::to_string(r);
  touched_ = rowCount();
  freshRows();
}

void Grid::setCell(int row, int col, std::string text) {
  if (row < 1 || row > rowCount() || col < 1 || col >= columnCount()) return;
  touch(row);
  cells_[index(row, col)] = std::move(text);
}

void Grid::freshRows() {
  for (int r = 1; r <= touched_; ++r) {
    cells_[index(r, 1)].assign(1, 'Y');
    for (int c = 2; c < columnCount(); ++c) cells_[index(r, c)].clear();
  }
  touched_ = 0;
}

void Grid::deleteRow(int row) {
  if (row < 1 || row > rowCount()) return;
  touch(rowCount());
  for (int r = row; r < rowCount(); ++r)
    for (int c = 1; c < columnCount(); ++c) cells_[index(r, c)] = std::move(cells_[index(r + 1, c)]);
  for (int c = 1; c < columnCount(); ++c) cells_[index(rowCount(), c)].clear();
}

void Grid::insertRow(int row, bool enable) {
  if (row < 1 || row > rowCount()) return;
  touch(rowCount());
  for (int r = rowCount() - 1; r >= row; --r)
    for (int c = 1; c < columnCount(); ++c) cells_[index(r + 1, c)] = std::move(cells_[index(r, c)]);
  for (int c = 1; c < columnCount(); ++c) cells_[index(row, c)].clear();
  if (enable) cells_[index(row, 1)].assign(1, 'Y');
}

std::vector<std::string> Grid::copyRow(int row) const {
  std::vector<std::string> texts;
  texts.reserve(static_cast<size_t>(columnCount() - 1));
  for (int c = 1; c < columnCount(); ++c) texts.push_back(cell(row, c));
  return texts;
}

bool Grid::rowIsUsed(int row) const {
  for (int c = 1; c < columnCount(); ++c)
    if (!isCheckBox(column(c)) && !trim(cell(row, c)).empty()) return true;
  return false;
}

void Grid::putRow(int row, const std::vector<std::string>& texts) {
  touch(row);
  for (int c = 1; c < columnCount() && static_cast<size_t>(c - 1) < texts.size(); ++c)
    cells_[index(row, c)] = texts[static_cast<size_t>(c - 1)];
}

int Grid::extent() const {
  int r = 1;
  while (r <= rowCount() && !trim(cell(r, layout_->keyColumn)).empty()) ++r;
  return r - 1;
}

int Grid::firstDroppedRowWithData() const {
  for (int r = extent() + 1; r <= rowCount(); ++r) {
    for (int c = 1; c < columnCount(); ++c) {
      const ColumnLayout& col = column(c);
      // A hidden column holds nothing the user typed; its content is no data that could be missed.
      if (!isCheckBox(col) && !col.hidden && !trim(cell(r, c)).empty()) return r;
    }
  }
  return 0;
}

std::optional<Grid::Cell> Grid::enterJumpTarget(int row, int col) const {
  if (row < 1 || col < 1 || row > rowCount() || col >= columnCount()) return std::nullopt;
  for (int c = col + 1; c < columnCount(); ++c)
    if (!column(c).hidden) return Cell{row, c};
  return Cell{row < rowCount() ? row + 1 : 1, 1};
}

std::string Grid::copyBlock(int firstRow, int lastRow, int firstCol, int lastCol) const {
  std::string out;
  for (int r = std::max(firstRow, 1); r <= std::min(lastRow, rowCount()); ++r) {
    bool first = true;
    // The numbering column is no data: a block never carries it, so it pastes back where it came from.
    for (int c = std::max(firstCol, 1); c <= std::min(lastCol, columnCount() - 1); ++c) {
      if (column(c).hidden) continue;
      if (!first) out += '\t';
      first = false;
      // A cell text cannot hold the block's own separators; they become blanks.
      for (const char ch : cell(r, c)) out += (ch == '\t' || ch == '\n' || ch == '\r') ? ' ' : ch;
    }
    out += '\n';
  }
  return out;
}

int Grid::pasteBlock(int row, int col, std::string_view block) {
  if (row < 1 || row > rowCount() || col < 0 || col >= columnCount()) return 0;
  // Visible columns from the current one on; a paste that starts on the numbering column starts at column 1.
  std::vector<int> targets;
  for (int c = std::max(col, 1); c < columnCount(); ++c)
    if (!column(c).hidden) targets.push_back(c);

  int written = 0;
  int r = row;
  size_t start = 0;
  while (start < block.size() && r <= rowCount()) {
    size_t end = block.find('\n', start);
    if (end == std::string_view::npos) end = block.size();
    touch(r);
    std::string_view line = block.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    size_t field = 0;
    size_t pos = 0;
    while (field < targets.size()) {
      const size_t tab = line.find('\t', pos);
      const std::string_view text = line.substr(pos, tab == std::string_view::npos ? line.size() - pos : tab - pos);
      const int c = targets[field];
      if (isCheckBox(column(c)))
        cells_[index(r, c)].assign(1, (text == "Y" || text == "y") ? 'Y' : 'N');
      else
        cells_[index(r, c)] = std::string(text);
      ++written;
      ++field;
      if (tab == std::string_view::npos) break;
      pos = tab + 1;
    }
    ++r;
    start = end + 1;
  }
  return written;
}

void gridCopyRow(const Grid& grid, int row, std::vector<std::string>& clipboard) {
  clipboard = grid.copyRow(row);
}

bool gridPasteRow(Grid& grid, int row, const std::vector<std::string>& clipboard, bool copied, MessageBoxes& messages,
                  const TextTable& texts) {
  if (!copied) {
    messages.error(texts[1102]);
    return false;
  }
  if (clipboard.size() != static_cast<size_t>(grid.columnCount() - 1)) {
    messages.error(texts[1101]);
    return false;
  }
  if (grid.rowIsUsed(row) && !messages.question(texts[1100])) return false;
  grid.putRow(row, clipboard);
  return true;
}

bool gridDeleteRow(Grid& grid, int row, MessageBoxes& messages, const TextTable& texts) {
  if (!messages.question(texts[grid.layout().deleteQuestion] + std::to_string(row))) return false;
  grid.deleteRow(row);
  return true;
}

}  // namespace konfex

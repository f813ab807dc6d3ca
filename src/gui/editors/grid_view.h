// The table of every table editor: a QTableView over one model that wraps the core grid. The grid is the
// only store of the table; the model only presents it. Cells are edited through an item delegate whose
// editors exist only while a cell is edited, so 512 rows of drop-down lists cost no widgets.
#pragma once

#include <array>

#include <QAbstractTableModel>
#include <QComboBox>
#include <QElapsedTimer>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableView>

#include "core/app/settings.h"
#include "core/editors/grid.h"
#include "core/lang/text_table.h"

class QStringListModel;

namespace konfex {

// The item lists of the drop-down and combo cells, one model per list, shared by every table editor:
// the 1501 byte positions exist once for all byte columns of both CAN tables.
class ItemLists final : public QObject {
  Q_OBJECT

 public:
  explicit ItemLists(QObject* parent);
  // nullptr for Items::None.
  QAbstractItemModel* model(Items items) const;

 private:
  std::array<QStringListModel*, 4> models_{};
};

class GridModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  GridModel(Grid& grid, QObject* parent);

  // The column headers and the dialog's hint list (hint i belongs to column i + 1), from the text table.
  void setTexts(const TextTable& texts);
  const QStringList& hints() const { return hints_; }

  Grid& grid() { return grid_; }
  // Model row of a data row (rows 1..N) and back: the header row is the view's header.
  static int dataRow(const QModelIndex& index) { return index.row() + 1; }
  QModelIndex cellIndex(int row, int col) const { return index(row - 1, col); }

  // The grid changed behind the model (loading, row operations, paste): repaint those rows.
  void rowsChanged(int firstRow, int lastRow);
  void allChanged() { rowsChanged(1, grid_.rowCount()); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  Grid& grid_;
  QStringList headers_;
  QStringList hints_;
};

// A drop-down editor that picks an item by typing it: "1", "4", "9" picks "149", and "11" picks "11", not
// the second item that starts with "1" as the toolkit's own search would.
class ItemSearchCombo final : public QComboBox {
  Q_OBJECT

 public:
  explicit ItemSearchCombo(QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString typed_;
  QElapsedTimer lastKey_;
};

class GridView;

class GridDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  GridDelegate(GridView* view, const ItemLists& items);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

 protected:
  bool eventFilter(QObject* editor, QEvent* event) override;

 private:
  GridView* view_;
  const ItemLists& items_;
};

class GridView final : public QTableView {
  Q_OBJECT

 public:
  // The options are read from `settings` at the moment of each key and double click.
  GridView(QWidget* parent, const char* objectName, GridModel& model, const ItemLists& items, const Settings& settings);

  GridModel& gridModel() { return model_; }
  // The data row of the current cell (the selected row); row 1 when there is no current cell.
  int selectedRow() const;
  bool isEditing() const { return state() == QAbstractItemView::EditingState; }
  // Ends an edit in progress and keeps what was typed, before a button works on the grid.
  void commitEdit();
  // Ends an edit in progress and drops what was typed.
  void discardEdit();

  // Column widths that fit the headers; the user may change them.
  void fitColumnsToHeaders();
  bool enterJumps() const;
  // The Enter key: with enable_jump_field_tables on it moves to the next cell and is swallowed; true when
  // it was swallowed.
  bool enterKey();
  // A double click on header section `column`: fits the column when Double_Click_Auto_Size is on.
  void headerDoubleClicked(int column);
  // The spreadsheet exchange through the system clipboard.
  void copyBlock();
  void pasteBlock();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  GridModel& model_;
  const Settings& settings_;
};

}  // namespace konfex

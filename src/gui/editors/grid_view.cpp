#include "gui/editors/grid_view.h"

#include <algorithm>
#include <climits>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringListModel>

#include "gui/app/qt_text.h"

namespace konfex {

namespace {

const QColor kNumberingBackground(236, 233, 222);

bool isEnter(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

ItemLists::ItemLists(QObject* parent) : QObject(parent) {
  for (const Items items : {Items::CanType, Items::DimHeader, Items::BytePositions}) {
    QStringList list;
    for (const std::string& item : itemsOf(items)) list << toQ(item);
    models_[static_cast<size_t>(items)] = new QStringListModel(list, this);
  }
}

QAbstractItemModel* ItemLists::model(Items items) const {
  return models_[static_cast<size_t>(items)];
}

GridModel::GridModel(Grid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {}

void GridModel::setTexts(const TextTable& texts) {
  headers_.clear();
  hints_.clear();
  for (int c = 0; c < grid_.columnCount(); ++c) {
    const ColumnLayout& col = grid_.column(c);
    headers_ << (col.header >= 0 ? toQ(texts[col.header]) : QString());
    if (c >= 1) hints_ << (col.hint >= 0 ? toQ(texts[col.hint]) : QString());
  }
  emit headerDataChanged(Qt::Horizontal, 0, grid_.columnCount() - 1);
}

void GridModel::rowsChanged(int firstRow, int lastRow) {
  firstRow = std::max(firstRow, 1);
  lastRow = std::min(lastRow, grid_.rowCount());
  if (firstRow > lastRow) return;
  emit dataChanged(cellIndex(firstRow, 0), cellIndex(lastRow, grid_.columnCount() - 1));
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.rowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.columnCount();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int c = index.column();
  const ColumnLayout& col = grid_.column(c);
  const std::string& text = grid_.cell(dataRow(index), c);
  switch (role) {
    case Qt::DisplayRole:
      // A check box shows its state; only a text that is neither "Y" nor "N" (from a file) shows as well.
      if (col.kind == ColumnKind::CheckBox && (text.empty() || text == "Y" || text == "N")) return {};
      return toQ(text);
    case Qt::EditRole: return toQ(text);
    case Qt::CheckStateRole:
      if (col.kind != ColumnKind::CheckBox) return {};
      return text == "Y" ? Qt::Checked : Qt::Unchecked;
    case Qt::ToolTipRole:
      if (grid_.layout().dataHint == DataHint::OwnText && !text.empty()) return toQ(text);
      return {};
    case Qt::TextAlignmentRole:
      if (c == 0) return QVariant::fromValue(Qt::AlignCenter);
      return {};
    case Qt::BackgroundRole:
      if (c == 0) return kNumberingBackground;
      return {};
    default: return {};
  }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() == 0) return false;
  const ColumnLayout& col = grid_.column(index.column());
  if (role == Qt::CheckStateRole && col.kind == ColumnKind::CheckBox)
    grid_.setCell(dataRow(index), index.column(),
                  value.value<Qt::CheckState>() == Qt::Checked ? std::string("Y") : std::string("N"));
  else if (role == Qt::EditRole)
    grid_.setCell(dataRow(index), index.column(), fromQ(value.toString()));
  else
    return false;
  emit dataChanged(index, index);
  return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  const ColumnLayout& col = grid_.column(index.column());
  const Qt::ItemFlags base = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (col.kind == ColumnKind::Numbering || col.hidden) return base;
  if (col.kind == ColumnKind::CheckBox) return base | Qt::ItemIsUserCheckable;
  return base | Qt::ItemIsEditable;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size()) return {};
  if (role == Qt::DisplayRole) return headers_[section];
  if (role == Qt::ToolTipRole) {
    if (section >= 1) return hints_[section - 1].isEmpty() ? QVariant() : QVariant(hints_[section - 1]);
    // The numbering column's header: the table's own rule for cells without a hint of their own.
    if (grid_.layout().dataHint == DataHint::OwnText) return headers_[0];
  }
  return {};
}

ItemSearchCombo::ItemSearchCombo(QWidget* parent) : QComboBox(parent) {}

void ItemSearchCombo::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  // Space still opens the list, as in every drop-down.
  if (isEditable() || !plain || text.isEmpty() || !text.at(0).isPrint() || text.at(0).isSpace()) {
    QComboBox::keyPressEvent(event);
    return;
  }
  if (!lastKey_.isValid() || lastKey_.elapsed() > QApplication::keyboardInputInterval()) typed_.clear();
  lastKey_.restart();
  // The whole text typed so far, exactly, else the first item it begins; a key that leads to no item is
  // ignored, so a slip never jumps elsewhere.
  const QString wanted = typed_ + text;
  int found = findText(wanted, Qt::MatchFixedString);
  if (found < 0) found = findText(wanted, Qt::MatchStartsWith);
  if (found >= 0) {
    typed_ = wanted;
    if (found != currentIndex()) {
      setCurrentIndex(found);
      emit activated(found);
    }
  }
  event->accept();
}

GridDelegate::GridDelegate(GridView* view, const ItemLists& items)
    : QStyledItemDelegate(view), view_(view), items_(items) {}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  const ColumnLayout& col = view_->gridModel().grid().column(index.column());
  if (col.kind != ColumnKind::DropDown && col.kind != ColumnKind::ComboEdit)
    return QStyledItemDelegate::createEditor(parent, option, index);
  auto* combo = new ItemSearchCombo(parent);
  combo->setFrame(false);
  combo->setEditable(col.kind == ColumnKind::ComboEdit);
  // The list is shared by every cell and every table: typing must never add to it.
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setModel(items_.model(col.items));
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo->setMinimumContentsLength(1);
  combo->setMaxVisibleItems(16);
  auto* self = const_cast<GridDelegate*>(this);
  connect(combo, &QComboBox::activated, self, [self, combo] { emit self->commitData(combo); });
  return combo;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* combo = qobject_cast<QComboBox*>(editor);
  if (combo == nullptr) return QStyledItemDelegate::setEditorData(editor, index);
  const QString text = index.data(Qt::EditRole).toString();
  combo->setCurrentIndex(combo->findText(text));
  if (combo->isEditable()) combo->setEditText(text);
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  auto* combo = qobject_cast<QComboBox*>(editor);
  if (combo == nullptr) return QStyledItemDelegate::setModelData(editor, model, index);
  // A drop-down list that was opened but not chosen from keeps the cell's text, whatever it is.
  if (combo->isEditable() || combo->currentIndex() >= 0) model->setData(index, combo->currentText(), Qt::EditRole);
}

bool GridDelegate::eventFilter(QObject* editor, QEvent* event) {
  if (isEnter(event) && view_->enterJumps()) {
    auto* widget = static_cast<QWidget*>(editor);
    emit commitData(widget);
    emit closeEditor(widget, QAbstractItemDelegate::NoHint);
    view_->enterKey();
    return true;
  }
  return QStyledItemDelegate::eventFilter(editor, event);
}

GridView::GridView(QWidget* parent, const char* objectName, GridModel& model, const ItemLists& items,
                   const Settings& settings)
    : QTableView(parent), model_(model), settings_(settings) {
  setObjectName(QString::fromLatin1(objectName));
  setModel(&model_);
  setItemDelegate(new GridDelegate(this, items));
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->viewport()->installEventFilter(this);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setWordWrap(false);
  const Grid& grid = model_.grid();
  for (int c = 0; c < grid.columnCount(); ++c) setColumnHidden(c, grid.column(c).hidden);
  setCurrentIndex(model_.cellIndex(1, 1));
}

void GridView::fitColumnsToHeaders() {
  const Grid& grid = model_.grid();
  const QFontMetrics metrics = fontMetrics();
  const int digits = metrics.horizontalAdvance(QStringLiteral("0000"));
  constexpr int kPadding = 12;
  constexpr int kArrow = 16;  // room for a list editor's drop-down button
  for (int c = 0; c < grid.columnCount(); ++c) {
    const ColumnLayout& col = grid.column(c);
    int least = digits + kPadding;
    if (col.kind == ColumnKind::Numbering) least = digits;
    if (c == grid.layout().keyColumn) least = metrics.horizontalAdvance(QStringLiteral("192.168.0.100")) + kPadding;
    if (col.kind == ColumnKind::DropDown || col.kind == ColumnKind::ComboEdit) {
      // Short lists show their widest item; the byte positions their widest number.
      const std::span<const std::string> items = itemsOf(col.items);
      int widest = digits;
      if (items.size() <= 10)
        for (const std::string& item : items) widest = std::max(widest, metrics.horizontalAdvance(toQ(item)));
      least = widest + kPadding + kArrow;
    }
    setColumnWidth(c, std::max(horizontalHeader()->sectionSizeHint(c), least));
  }
  horizontalHeader()->setStretchLastSection(true);
}

int GridView::selectedRow() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? GridModel::dataRow(current) : 1;
}

void GridView::commitEdit() {
  if (state() != QAbstractItemView::EditingState) return;
  if (QWidget* editor = indexWidget(currentIndex())) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

void GridView::discardEdit() {
  if (state() != QAbstractItemView::EditingState) return;
  if (QWidget* editor = indexWidget(currentIndex())) closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

bool GridView::enterJumps() const {
  return settings_.enableJumpFieldTables;
}

bool GridView::enterKey() {
  if (!enterJumps()) return false;
  const QModelIndex current = currentIndex();
  if (current.isValid())
    if (const auto target = model_.grid().enterJumpTarget(GridModel::dataRow(current), current.column()))
      setCurrentIndex(model_.cellIndex(target->row, target->col));
  return true;
}

void GridView::headerDoubleClicked(int column) {
  if (settings_.doubleClickAutoSize) resizeColumnToContents(column);
}

void GridView::copyBlock() {
  commitEdit();
  int top = 0, bottom = -1, left = 0, right = -1;
  const QItemSelection selection = selectionModel()->selection();
  if (selection.isEmpty()) {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return;
    top = bottom = current.row();
    left = right = current.column();
  } else {
    top = left = INT_MAX;
    bottom = right = -1;
    for (const QItemSelectionRange& range : selection) {
      top = std::min(top, range.top());
      bottom = std::max(bottom, range.bottom());
      left = std::min(left, range.left());
      right = std::max(right, range.right());
    }
  }
  // The numbering column is no part of the data: a block copied with it would paste back shifted.
  left = std::max(left, 1);
  if (right < left) return;
  QGuiApplication::clipboard()->setText(toQ(model_.grid().copyBlock(top + 1, bottom + 1, left, right)));
}

void GridView::pasteBlock() {
  commitEdit();
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) return;
  const QModelIndex current = currentIndex();
  const int row = current.isValid() ? GridModel::dataRow(current) : 1;
  const int col = current.isValid() ? current.column() : 1;
  if (model_.grid().pasteBlock(row, col, fromQ(text)) > 0) model_.rowsChanged(row, model_.grid().rowCount());
}

void GridView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    copyBlock();
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Paste)) {
    pasteBlock();
    event->accept();
    return;
  }
  if (isEnter(event) && enterKey()) {
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

// Double clicks on the header are ours: on a section, or on the divider at its right, they fit that
// section when the option is on, and do nothing otherwise.
bool GridView::eventFilter(QObject* watched, QEvent* event) {
  QHeaderView* header = horizontalHeader();
  if (watched == header->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    const int x = static_cast<QMouseEvent*>(event)->position().toPoint().x();
    int column = header->logicalIndexAt(x);
    const int grip = std::max(2, style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, header));
    if (column >= 0 && x - header->sectionViewportPosition(column) < grip) {
      for (int v = header->visualIndex(column) - 1; v >= 0; --v) {
        const int left = header->logicalIndex(v);
        if (!header->isSectionHidden(left)) {
          column = left;
          break;
        }
      }
    }
    if (column >= 0) headerDoubleClicked(column);
    return true;
  }
  return QTableView::eventFilter(watched, event);
}

}  // namespace konfex

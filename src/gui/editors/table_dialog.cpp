#include "gui/editors/table_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "gui/app/qt_text.h"

namespace konfex {

TableDialog::TableDialog(QWidget* parent, const char* objectName, const char* gridName, AppState& state,
                         const TextTable& texts, MessageBoxes& messages, const ItemLists& items,
                         std::unique_ptr<TableEditor> editor, FileOf file, const TableTexts& tableTexts,
                         QSize clientSize, bool focusGridOnShow)
    : EditorDialog(parent, objectName, state, texts, messages, std::move(editor), file),
      tableTexts_(tableTexts),
      focusGridOnShow_(focusGridOnShow) {
  editor_ = &static_cast<TableEditor&>(model());
  model_ = new GridModel(editor_->grid(), this);
  model_->setTexts(texts_);
  view_ = new GridView(this, gridName, *model_, items, state_.settings());
  view_->fitColumnsToHeaders();

  deleteButton_ = addButton("Btn_DelRow");
  insertButton_ = addButton("Btn_InsRow");
  copyButton_ = addButton("Btn_CopyRow");
  pasteButton_ = addButton("Btn_PasteRow");
  connect(deleteButton_, &QPushButton::clicked, this, &TableDialog::deleteRow);
  connect(insertButton_, &QPushButton::clicked, this, &TableDialog::insertRow);
  connect(copyButton_, &QPushButton::clicked, this, &TableDialog::copyRow);
  connect(pasteButton_, &QPushButton::clicked, this, &TableDialog::pasteRow);
  resize(clientSize);
}

QPushButton* TableDialog::addButton(const char* objectName) {
  auto* button = new QPushButton(buttonPanel_);
  button->setObjectName(QString::fromLatin1(objectName));
  button->setAutoDefault(false);
  auto* row = static_cast<QHBoxLayout*>(buttonPanel_->layout());
  row->insertWidget(row->count() - 1, button);  // before the closing stretch
  return button;
}

void TableDialog::setLang() {
  const TableTexts& t = tableTexts_;
  setFrameTexts(t.caption, t.title, t.ok, t.cancel, t.okHint, t.cancelHint);
  const auto caption = [this](QPushButton* b, int text, int hint) {
    b->setText(toQ(texts_[text]));
    b->setToolTip(toQ(texts_[hint]));
  };
  caption(deleteButton_, t.deleteRow, t.deleteHint);
  caption(insertButton_, t.insertRow, t.insertHint);
  caption(copyButton_, t.copyRow, t.copyHint);
  caption(pasteButton_, t.pasteRow, t.pasteHint);
  model_->setTexts(texts_);
}

void TableDialog::layoutContent() {
  view_->setGeometry(0, kTitleHeight, width(), height() - kTitleHeight - kButtonPanelHeight);
}

void TableDialog::modelToControls() {
  // An edit left open at the last closing belongs to the table that was discarded.
  view_->discardEdit();
  model_->allChanged();
  doCopy_ = false;
  if (focusGridOnShow_) view_->setFocus();
}

void TableDialog::controlsToModel() {
  view_->commitEdit();
}

void TableDialog::copyRow() {
  view_->commitEdit();
  gridCopyRow(editor_->grid(), view_->selectedRow(), state_.rowClipboard);
  doCopy_ = true;
}

void TableDialog::pasteRow() {
  view_->commitEdit();
  const int row = view_->selectedRow();
  if (gridPasteRow(editor_->grid(), row, state_.rowClipboard, doCopy_, messages_, texts_))
    model_->rowsChanged(row, row);
}

void TableDialog::deleteRow() {
  view_->commitEdit();
  const int row = view_->selectedRow();
  if (gridDeleteRow(editor_->grid(), row, messages_, texts_)) model_->allChanged();
}

void TableDialog::insertRow() {
  view_->commitEdit();
  const int row = view_->selectedRow();
  editor_->grid().insertRow(row, true);
  model_->allChanged();
}

}  // namespace konfex

// The common shape of a table dialog: title panel, the grid, and the button panel with OK, Cancel,
// Delete Row, Insert Row, Copy Row, Paste Row and the dialog's further buttons. The row clipboard is the
// process-wide one; Do_Copy belongs to the dialog and is cleared at every showing, so a row copied in one
// dialog can be pasted only in that dialog during that showing.
#pragma once

#include <QSize>

#include "gui/editors/editor_dialog.h"
#include "gui/editors/grid_view.h"

class QPushButton;

namespace konfex {

// The text entries of the frame and the row buttons.
struct TableTexts {
  int caption, title;
  int ok, cancel, deleteRow, insertRow, copyRow, pasteRow;  // captions
  int okHint, cancelHint, deleteHint, insertHint, copyHint, pasteHint;
};

class TableDialog : public EditorDialog {
  Q_OBJECT

 public:
  GridView& gridView() { return *view_; }
  TableEditor& editor() { return *editor_; }
  bool doCopy() const { return doCopy_; }

  void setLang() override;

 protected:
  TableDialog(QWidget* parent, const char* objectName, const char* gridName, AppState& state, const TextTable& texts,
              MessageBoxes& messages, const ItemLists& items, std::unique_ptr<TableEditor> editor, FileOf file,
              const TableTexts& tableTexts, QSize clientSize, bool focusGridOnShow);

  // A further button of the dialog, placed after Paste Row.
  QPushButton* addButton(const char* objectName);
  GridModel& gridModel() { return *model_; }

  void modelToControls() override;
  void controlsToModel() override;
  void layoutContent() override;

 private:
  void copyRow();
  void pasteRow();
  void deleteRow();
  void insertRow();

  TableEditor* editor_;
  GridModel* model_;
  GridView* view_;
  TableTexts tableTexts_;
  bool focusGridOnShow_;
  bool doCopy_ = false;
  QPushButton* deleteButton_;
  QPushButton* insertButton_;
  QPushButton* copyButton_;
  QPushButton* pasteButton_;
};

}  // namespace konfex

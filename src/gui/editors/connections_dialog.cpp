#include "gui/editors/connections_dialog.h"

#include <vector>

#include <QPushButton>

#include "core/editors/eds.h"
#include "gui/app/qt_text.h"
#include "gui/editors/eds_dialog.h"

namespace konfex {

namespace {

constexpr TableTexts kTexts{800, 801, 802, 803, 804, 805, 806, 807, 808, 809, 810, 811, 812, 813};

}  // namespace

ConnectionsDialog::ConnectionsDialog(QWidget* parent, AppState& state, const TextTable& texts, MessageBoxes& messages,
                                     const ItemLists& items, FilePicker* filePicker,
                                     std::function<EdsDialog&()> edsDialog)
    : TableDialog(parent, "TFEtherNetIP_Master_Access", "ACG", state, texts, messages, items,
                  std::make_unique<ConnectionsEditor>(), &ProjectPaths::connections, kTexts, QSize(1180, 337), false),
      filePicker_(filePicker),
      edsDialog_(std::move(edsDialog)) {
  importButton_ = addButton("Btn_Import_EDS");
  connect(importButton_, &QPushButton::clicked, this, &ConnectionsDialog::importEds);
  setLang();
}

void ConnectionsDialog::setLang() {
  TableDialog::setLang();
  importButton_->setText(toQ(texts_[859]));
  importButton_->setToolTip(toQ(texts_[860]));
}

// Only the grid changes: the file is written when the user confirms the table with OK.
void ConnectionsDialog::importEds() {
  if (filePicker_ == nullptr) return;
  gridView().commitEdit();
  const auto chosen = filePicker_->openFile(kEdsFilter);
  if (!chosen) return;
  EdsDialog& eds = edsDialog_();
  eds.setFileName(*chosen);
  if (eds.exec() != QDialog::Accepted) return;

  Grid& grid = editor().grid();
  std::vector<EdsImportRow> rows;
  for (int r = 1; r <= grid.rowCount(); ++r)
    rows.push_back({grid.cell(r, ConnectionsEditor::kIpAddress), grid.cell(r, ConnectionsEditor::kInstanceTO)});
  const int target = edsImportTargetRow(rows);
  if (target == 0) return;
  const auto texts = eds.selectedTexts();
  for (const EdsImportCopy& copy : kEdsImportCopies)
    grid.setCell(target, copy.tableColumn, texts[static_cast<size_t>(copy.selectionColumn)]);
  gridModel().rowsChanged(target, target);
}

}  // namespace konfex

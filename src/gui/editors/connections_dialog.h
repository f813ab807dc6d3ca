// TFEtherNetIP_Master_Access: the EtherNet/IP adapters the gateway polls (EtherNetIP_Master_Rules.xml),
// with Import EDS filling a free row's instances, connection points and header sizes from an EDS file.
#pragma once

#include <functional>

#include "core/app/seams.h"
#include "core/editors/editors.h"
#include "gui/editors/table_dialog.h"

namespace konfex {

class EdsDialog;

class ConnectionsDialog final : public TableDialog {
  Q_OBJECT

 public:
  static constexpr const char* kEdsFilter = "EtherNet/IP EDS (*.eds)";

  // The selection dialog is created after this one, so it is reached when Import EDS is pressed.
  ConnectionsDialog(QWidget* parent, AppState& state, const TextTable& texts, MessageBoxes& messages,
                    const ItemLists& items, FilePicker* filePicker, std::function<EdsDialog&()> edsDialog);
  void setLang() override;

 private:
  void importEds();

  FilePicker* filePicker_;
  std::function<EdsDialog&()> edsDialog_;
  QPushButton* importButton_;
};

}  // namespace konfex

// TFReceiveCAN and TFTransmitCAN: the CAN frames the gateway receives (CAN_Rec_Frames.xml) and sends
// (CAN_Send_Frames.xml), 512 rows each. The send table's hidden OnCMD column travels with every row
// operation but is never shown.
#pragma once

#include "core/editors/editors.h"
#include "gui/editors/table_dialog.h"

namespace konfex {

class CanFramesDialog final : public TableDialog {
  Q_OBJECT

 public:
  using Direction = CanFramesEditor::Direction;

  CanFramesDialog(QWidget* parent, Direction direction, AppState& state, const TextTable& texts, MessageBoxes& messages,
                  const ItemLists& items);
};

}  // namespace konfex

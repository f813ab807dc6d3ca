#include "gui/editors/can_frames_dialog.h"

namespace konfex {

namespace {

constexpr TableTexts kReceiveTexts{1400, 1401, 1402, 1403, 1404, 1405, 1406, 1407, 1423, 1424, 1425, 1426, 1427, 1428};
constexpr TableTexts kSendTexts{1300, 1301, 1302, 1303, 1304, 1305, 1306, 1307, 1325, 1326, 1327, 1328, 1329, 1330};

bool receives(CanFramesDialog::Direction direction) {
  return direction == CanFramesDialog::Direction::Receive;
}

}  // namespace

CanFramesDialog::CanFramesDialog(QWidget* parent, Direction direction, AppState& state, const TextTable& texts,
                                 MessageBoxes& messages, const ItemLists& items)
    : TableDialog(parent, receives(direction) ? "TFReceiveCAN" : "TFTransmitCAN",
                  receives(direction) ? "ACG_CAN_Receive" : "ACG_CAN_Transmit", state, texts, messages, items,
                  std::make_unique<CanFramesEditor>(direction),
                  receives(direction) ? &ProjectPaths::receiveFrames : &ProjectPaths::sendFrames,
                  receives(direction) ? kReceiveTexts : kSendTexts,
                  receives(direction) ? QSize(1010, 337) : QSize(1100, 337), true) {
  setLang();
}

}  // namespace konfex

#include "gui/editors/par_gen_dialog.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>

#include "gui/app/qt_text.h"
#include "gui/app/style.h"
#include "gui/editors/collapsible_panel.h"

namespace konfex {

namespace {

constexpr int kFieldLeft = 150;
constexpr int kFieldWidth = 40;
constexpr int kFieldPitch = 56;
constexpr int kRowTop = 8;
constexpr int kRowPitch = 28;
constexpr int kPanelMargin = 12;  // below the lowest control of a panel

}  // namespace

ParGenDialog::ParGenDialog(QWidget* parent, AppState& state, const TextTable& texts, MessageBoxes& messages)
    : EditorDialog(parent, "TFParGen", state, texts, messages, std::make_unique<ParGenModel>(), &ProjectPaths::parGen) {
  // Only the system menu among the border icons.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  // OK and Cancel stand at the right of the button panel.
  auto* buttons = static_cast<QHBoxLayout*>(buttonPanel_->layout());
  delete buttons->takeAt(buttons->count() - 1);
  buttons->insertStretch(0, 1);

  group_ = new PanelGroup(this, "CPG");
  canPanel_ = group_->addPanel("CP_CAN");
  ethPanel_ = group_->addPanel("CP_EtherNetIP_Master");

  QWidget* can = canPanel_->content();
  bitRateLabel_ = makeLabel(can, QStringLiteral("L_CAN_Baudrate"), 16, kRowTop + 4);
  bitRate_ = new QComboBox(can);
  bitRate_->setObjectName(QStringLiteral("CB_CAN_Baudrate"));
  for (const std::string_view rate : ParGenModel::kBitRates) bitRate_->addItem(toQ(rate));
  bitRate_->setGeometry(kFieldLeft, kRowTop, 96, bitRate_->sizeHint().height());

  QWidget* eth = ethPanel_->content();
  ipLabel_ = makeLabel(eth, QStringLiteral("L_EtherNetIP_Master_IP"), 16, kRowTop + 4);
  maskLabel_ = makeLabel(eth, QStringLiteral("L_EtherNetIP_Master_SM"), 16, kRowTop + kRowPitch + 4);
  gateway_ = new QCheckBox(eth);
  gateway_->setObjectName(QStringLiteral("CB_EtherNetIP_Master_GAT"));
  gateway_->move(14, kRowTop + 2 * kRowPitch + 2);
  static constexpr const char* kRowNames[] = {"IP", "SM", "GAT"};
  for (int row = 0; row < 3; ++row) {
    for (int k = 0; k < 4; ++k) {
      auto* field = new QLineEdit(eth);
      field->setObjectName(QStringLiteral("E_EtherNetIP_Master_%1%2").arg(QLatin1String(kRowNames[row])).arg(k + 1));
      field->setGeometry(kFieldLeft + k * kFieldPitch, kRowTop + row * kRowPitch, kFieldWidth,
                         field->sizeHint().height());
      field->installEventFilter(this);
      bytes_[static_cast<size_t>(row * 4 + k)] = field;
      if (k < 3) {
        QLabel* dot = makeLabel(eth, QStringLiteral("L_Dot_%1%2").arg(QLatin1String(kRowNames[row])).arg(k + 1),
                                kFieldLeft + k * kFieldPitch + kFieldWidth + 5, kRowTop + row * kRowPitch + 4);
        dot->setText(QStringLiteral("."));
      }
    }
  }
  portLabel_ = makeLabel(eth, QStringLiteral("L_EtherNetIP_Master_TunnelPort"), 16, kRowTop + 3 * kRowPitch + 4);
  port_ = new QLineEdit(eth);
  port_->setObjectName(QStringLiteral("E_EtherNetIP_Master_Port"));
  port_->setGeometry(kFieldLeft, kRowTop + 3 * kRowPitch, 60, port_->sizeHint().height());
  port_->setText(toQ(ParGenModel::kPort));
  port_->setEnabled(false);

  parGen_ = &static_cast<ParGenModel&>(model());
  resize(kClientWidth, kClientHeight);
  setFixedWidth(kClientWidth);  // the height may change freely
  orderPanels();
  fitPanels();
  setLang();
}

// The captions are set once, at creation: a later language change leaves them as they are. The panels
// were added CAN first, which also makes it first in the tab order.
void ParGenDialog::orderPanels() {
  canPanel_->setCaption(QStringLiteral("1. ") + toQ(texts_[540]));
  ethPanel_->setCaption(QStringLiteral("2. ") + toQ(texts_[406]));
}

void ParGenDialog::fitPanels() {
  canPanel_->fitTo(bitRate_, kPanelMargin);
  ethPanel_->fitTo(port_, kPanelMargin);
}

void ParGenDialog::setLang() {
  setFrameTexts(400, 401, 402, 403, 404, 405);
  setLabel(ipLabel_, texts_[407]);
  setLabel(maskLabel_, texts_[412]);
  gateway_->setText(toQ(texts_[417]));
  gateway_->adjustSize();
  gateway_->setToolTip(toQ(texts_[418]));
  setLabel(portLabel_, texts_[423]);
  port_->setToolTip(toQ(texts_[424]));
  setLabel(bitRateLabel_, texts_[541]);
  bitRate_->setToolTip(toQ(texts_[542]));
  // Hints of the byte fields: 408..411, 413..416, 419..422.
  static constexpr int kFirstHint[] = {408, 413, 419};
  for (int i = 0; i < 12; ++i) bytes_[static_cast<size_t>(i)]->setToolTip(toQ(texts_[kFirstHint[i / 4] + i % 4]));
}

void ParGenDialog::layoutContent() {
  group_->setGeometry(0, kTitleHeight, width(), height() - kTitleHeight - kButtonPanelHeight);
}

void ParGenDialog::modelToControls() {
  for (size_t i = 0; i < bytes_.size(); ++i) bytes_[i]->setText(toQ(parGen_->bytes[i]));
  gateway_->setChecked(parGen_->gatewayEnabled);
  port_->setText(toQ(ParGenModel::kPort));
  bitRate_->setCurrentIndex(parGen_->bitRateIndex);
  fitPanels();
}

void ParGenDialog::controlsToModel() {
  for (size_t i = 0; i < bytes_.size(); ++i) parGen_->bytes[i] = fromQ(bytes_[i]->text());
  parGen_->gatewayEnabled = gateway_->isChecked();
  parGen_->bitRateIndex = bitRate_->currentIndex();
}

void ParGenDialog::showEvent(QShowEvent* event) {
  EditorDialog::showEvent(event);
  // The form sees every wheel turn inside it before its controls do, so a list under the mouse does not
  // change its choice while the panels scroll.
  qApp->installEventFilter(this);
}

void ParGenDialog::hideEvent(QHideEvent* event) {
  qApp->removeEventFilter(this);
  EditorDialog::hideEvent(event);
}

bool ParGenDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    for (QLineEdit* field : bytes_)
      if (watched == field && static_cast<QKeyEvent*>(event)->text() == QStringLiteral(".")) return pointKey(field);
  } else if (event->type() == QEvent::Wheel && watched->isWidgetType() &&
             static_cast<QWidget*>(watched)->window() == this) {
    return wheel(static_cast<QWheelEvent*>(event));
  }
  return EditorDialog::eventFilter(watched, event);
}

// The point is never typed into a byte field: it moves on to the next field of the walk.
bool ParGenDialog::pointKey(QLineEdit* field) {
  const auto at = std::find(bytes_.begin(), bytes_.end(), field);
  if (at + 1 != bytes_.end()) {
    QLineEdit* next = *(at + 1);
    if (next->isEnabled() && next->isVisibleTo(this) && next->focusPolicy() != Qt::NoFocus) next->setFocus();
  }
  return true;
}

bool ParGenDialog::wheel(QWheelEvent* event) {
  QWidget* area = group_->viewport();
  if (!area->rect().contains(area->mapFromGlobal(event->globalPosition().toPoint()))) return false;
  const int lines = QApplication::wheelScrollLines();
  const auto step =
      event->angleDelta().y() > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd;
  for (int i = 0; i < lines; ++i) group_->verticalScrollBar()->triggerAction(step);
  event->accept();
  return true;
}

}  // namespace konfex

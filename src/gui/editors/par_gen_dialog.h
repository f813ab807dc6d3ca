// TFParGen: the gateway's own address, subnet mask, default gateway and the CAN bit rate (ParGen.xml).
#pragma once

#include <array>

#include "core/editors/editors.h"
#include "gui/editors/editor_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace konfex {

class CollapsiblePanel;
class PanelGroup;

class ParGenDialog final : public EditorDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 460;
  static constexpr int kClientHeight = 700;

  ParGenDialog(QWidget* parent, AppState& state, const TextTable& texts, MessageBoxes& messages);
  void setLang() override;

 protected:
  void modelToControls() override;
  void controlsToModel() override;
  void layoutContent() override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void orderPanels();
  void fitPanels();
  bool pointKey(QLineEdit* field);
  bool wheel(QWheelEvent* event);

  ParGenModel* parGen_;
  PanelGroup* group_;
  CollapsiblePanel* canPanel_;
  CollapsiblePanel* ethPanel_;
  QLabel* bitRateLabel_;
  QComboBox* bitRate_;
  QLabel* ipLabel_;
  QLabel* maskLabel_;
  QCheckBox* gateway_;
  QLabel* portLabel_;
  QLineEdit* port_;
  // IP1..IP4, SM1..SM4, GAT1..GAT4: the order of the point-key walk.
  std::array<QLineEdit*, 12> bytes_{};
};

}  // namespace konfex

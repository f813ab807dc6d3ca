#pragma once

#include "core/app/app_state.h"
#include "core/app/seams.h"
#include "gui/app/konfex_dialog.h"

class QLabel;
class QLineEdit;

namespace konfex {

// Creates a configuration: its folder in PROJECTS with an empty bin folder, then makes it active.
class NewProjectDialog final : public KonfexDialog {
  Q_OBJECT

 public:
  NewProjectDialog(QWidget* parent, AppState& state, const TextTable& texts, MessageBoxes& messages);
  void setLang() override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void okClicked();

  AppState& state_;
  MessageBoxes& messages_;
  QLabel* label_;
  QLineEdit* nameEdit_;
};

}  // namespace konfex

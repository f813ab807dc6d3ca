#pragma once

#include <string>

#include "core/app/app_state.h"
#include "gui/app/konfex_dialog.h"

class QLabel;
class QListWidget;

namespace konfex {

// Lists the configurations in PROJECTS and lets the user choose one (`Name_Conf`).
class OpenConfDialog final : public KonfexDialog {
  Q_OBJECT

 public:
  OpenConfDialog(QWidget* parent, const AppState& state, const TextTable& texts);
  void setLang() override;
  const std::string& chosenName() const { return chosen_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void layoutContent() override;

 private:
  const AppState& state_;
  QLabel* label_;
  QListWidget* list_;
  std::string chosen_;
};

}  // namespace konfex

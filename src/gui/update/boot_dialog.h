// TFBoot, the update dialog: the device address, what to update and Read Back; the update button checks
// that the address answers, remembers the choices, writes the updater's job file and runs the updater.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "core/app/app_state.h"
#include "core/app/seams.h"
#include "core/app/start_program.h"
#include "core/update/reachability.h"
#include "gui/app/konfex_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace konfex {

class BootDialog final : public KonfexDialog {
  Q_OBJECT

 public:
  struct Services {
    MessageBoxes& messages;
    IcmpClient* icmp;  // nullptr: no echo can be sent, every check fails
    Clock& clock;
    // The main window's Start_Program: waits for the program with the windows repainting.
    std::function<StartOutcome(const std::filesystem::path&, const std::string&, bool)> startProgram;
    bool& busy;  // true while the reachability check runs
  };

  BootDialog(QWidget* parent, AppState& state, const TextTable& texts, Services services);
  void setLang() override;

  int formType() const { return formType_; }
  void setFormType(int formType) { formType_ = formType; }
  // The four fields joined with points, as they stand.
  std::string addressText() const;
  // True from the press of the update button until its work is over.
  bool running() const { return running_; }
  // While the check or the updater runs, neither Cancel, Escape nor the close box ends the dialog.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void layoutContent() override;

 private:
  void updateClicked();

  AppState& state_;
  Services services_;
  int formType_ = 1;
  bool running_ = false;
  QWidget* addressPanel_;
  QWidget* optionsPanel_;
  QLabel* addressLabel_;
  std::array<QLineEdit*, 4> fields_{};
  QLabel* optionLabel_;
  QComboBox* options_;
  QCheckBox* readBack_;
  QPushButton* updateButton_;
};

}  // namespace konfex

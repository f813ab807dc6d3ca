// The main window: the product's identity, the active configuration and the six working steps.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <QWidget>

#include "core/app/app_state.h"
#include "core/app/seams.h"
#include "core/app/start_program.h"
#include "core/lang/text_table.h"

class QLabel;
class QPushButton;

namespace konfex {

class KonfexDialog;
class NewProjectDialog;
class OpenConfDialog;

class MainWindow final : public QWidget {
  Q_OBJECT

 public:
  // The seams the windows reach the user and the system through. The first four are set by aggregate
  // initialisation; the later ones are pointers that main.cpp (and the test fixture) assign one by one.
  struct Services {
    MessageBoxes& messages;
    Browser& browser;
    ProgramLauncher& launcher;
    Clock& clock;
  };

  // Runs the start-up (folders, settings, language, last configuration), then creates every dialog.
  MainWindow(AppState& state, TextTable& texts, const Services& services, std::string makerUrl);

  void setLang();
  // Re-applies the text table to this window and every dialog, after the table changed.
  void changeLanguage();
  // Starts a program and waits for it (at most 150 s); the windows repaint meanwhile but take no input.
  StartOutcome startProgram(const std::filesystem::path& program, const std::string& parameters, bool hidden);
  // Compiles the active configuration's image into bin/bank.bin; false after an error was shown.
  bool updateDevice();

  NewProjectDialog& newProjectDialog() { return *newProject_; }
  OpenConfDialog& openConfDialog() { return *openConf_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  // Creates every dialog once, in the product's creation order.
  void createDialogs();
  void buttonClicked(QPushButton* button);
  void createNewProject();
  void openProject();
  void showConfigurationLabels();

  AppState& state_;
  TextTable& texts_;
  Services services_;
  std::string makerUrl_;

  QLabel* configTitle_ = nullptr;
  QLabel* configName_ = nullptr;
  QLabel* makerLabel_ = nullptr;
  QLabel* updateLink_ = nullptr;
  QLabel* beginLabel_ = nullptr;
  std::vector<QLabel*> stepLabels_;
  QPushButton* btnNew_ = nullptr;
  QPushButton* btnOpen_ = nullptr;
  QPushButton* btnClose_ = nullptr;
  QPushButton* btnInfo_ = nullptr;
  QPushButton* btnOptions_ = nullptr;
  QPushButton* btnParameters_ = nullptr;
  QPushButton* btnConnections_ = nullptr;
  QPushButton* btnReceive_ = nullptr;
  QPushButton* btnSend_ = nullptr;
  QPushButton* btnCreateBin_ = nullptr;

  NewProjectDialog* newProject_ = nullptr;
  OpenConfDialog* openConf_ = nullptr;
  // Two orders are kept apart on purpose: creation order (createDialogs) and the order in which a
  // language change re-applies texts, which differs from it.
  std::vector<KonfexDialog*> languageOrder_;
};

}  // namespace konfex

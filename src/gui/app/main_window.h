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
#include "core/update/reachability.h"

class QLabel;
class QPushButton;
class QTimer;

namespace konfex {

class AboutDialog;
class BootDialog;
class CanFramesDialog;
class ConnectionsDialog;
class EdsDialog;
class KonfexDialog;
class NewProjectDialog;
class ItemLists;
class OpenConfDialog;
class ParGenDialog;
class SoftOptionsDialog;
class VersionChecker;

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
    HttpClient* http = nullptr;  // the version check; without one no newer version is ever found
    // Import EDS's open-file dialog; without one nothing is imported.
    FilePicker* filePicker = nullptr;
    IcmpClient* icmp = nullptr;  // the update dialog's reachability check; without one every check fails
  };

  // Runs the start-up (folders, settings, language, last configuration), then creates every dialog.
  MainWindow(AppState& state, TextTable& texts, const Services& services, std::string makerUrl);

  void setLang();
  // Re-applies the text table to this window and every dialog, after the table changed.
  void changeLanguage();
  // Starts a program and waits for it (at most 150 s); the windows repaint meanwhile but take no input.
  StartOutcome startProgram(const std::filesystem::path& program, const std::string& parameters, bool hidden);
  // True inside the waits that pump events (the update dialog's reachability check, the updater's run):
  // the update check keeps out of them and runs once they are over.
  bool busy() const { return busy_; }
  // Compiles the active configuration's image into bin/bank.bin; false after an error was shown.
  bool updateDevice();

  NewProjectDialog& newProjectDialog() { return *newProject_; }
  OpenConfDialog& openConfDialog() { return *openConf_; }
  AboutDialog& aboutDialog() { return *about_; }
  SoftOptionsDialog& softOptionsDialog() { return *softOptions_; }
  ParGenDialog& parGenDialog() { return *parGen_; }
  ConnectionsDialog& connectionsDialog() { return *connections_; }
  CanFramesDialog& receiveFramesDialog() { return *receiveFrames_; }
  CanFramesDialog& sendFramesDialog() { return *sendFrames_; }
  BootDialog& bootDialog() { return *boot_; }
  // The EDS selection dialog; the connection table's Import EDS shows it.
  EdsDialog& edsDialog() { return *eds_; }

  // The update timer runs exactly while the internet connection and the update check are both enabled.
  void setUpdateTimer();

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
  void showSoftOptions();
  // Timer_Update's handler: one check, then the next in two hours.
  void updateTimerFired();

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

  bool busy_ = false;
  QTimer* updateTimer_ = nullptr;
  VersionChecker* versionChecker_ = nullptr;

  NewProjectDialog* newProject_ = nullptr;
  OpenConfDialog* openConf_ = nullptr;
  AboutDialog* about_ = nullptr;
  SoftOptionsDialog* softOptions_ = nullptr;
  // The item lists of the table editors' drop-down cells, shared by all of them.
  ItemLists* itemLists_ = nullptr;
  ParGenDialog* parGen_ = nullptr;
  ConnectionsDialog* connections_ = nullptr;
  CanFramesDialog* receiveFrames_ = nullptr;
  CanFramesDialog* sendFrames_ = nullptr;
  BootDialog* boot_ = nullptr;
  EdsDialog* eds_ = nullptr;
  // Two orders are kept apart on purpose: creation order (createDialogs) and the order in which a
  // language change re-applies texts, which differs from it.
  std::vector<KonfexDialog*> languageOrder_;
};

}  // namespace konfex

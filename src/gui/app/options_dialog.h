// Software options (`TFSoftOptions`): the user-interface language from the files in LANGUAGE, the
// internet connection and update check, an update check at once, and the two table-editor options.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/app/app_state.h"
#include "core/app/seams.h"
#include "gui/app/konfex_dialog.h"

class QCheckBox;
class QLabel;
class QTabWidget;

namespace konfex {

class VersionChecker;

class SoftOptionsDialog final : public KonfexDialog {
  Q_OBJECT

 public:
  struct Services {
    MessageBoxes& messages;
    Browser& browser;
    VersionChecker& versionChecker;
    std::function<void()> changeLanguage;  // re-applies the text table to every window
  };

  SoftOptionsDialog(QWidget* parent, AppState& state, TextTable& texts, Services services, std::string makerUrl);
  void setLang() override;

  // The language chosen in this opening of the dialog (`Language_In_Use`).
  const std::string& languageInUse() const { return languageInUse_; }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void layoutContent() override;

 private:
  void createLangList();
  void updateLangPage(int page);
  void pageClicked(bool next);
  void languageClicked(int slot);
  void updateCheckBox();
  void checkUpdateClicked();
  void okClicked();

  AppState& state_;
  TextTable& table_;
  Services services_;
  std::string makerUrl_;

  QTabWidget* pages_;
  QWidget* languagePage_;
  QWidget* connectionPage_;
  QWidget* settingsPage_;
  QLabel* selectedLanguage_;
  QLabel* pageLabel_;
  std::array<QLabel*, 6> flags_{};
  std::array<QLabel*, 6> names_{};
  QPushButton* previous_;
  QPushButton* next_;
  QCheckBox* enableInternet_;
  QCheckBox* enableUpdate_;
  QPushButton* checkUpdate_;
  QLabel* checkResult_;
  QCheckBox* jumpTable_;
  QCheckBox* autoSize_;

  std::vector<std::string> languages_;  // `SL_Languages`: file names with ".lng"
  int showPage_ = 1;
  std::string languageInUse_;
  bool checking_ = false;
  int opening_ = 0;  // counts the openings, so that a late answer cannot reach a later one
};

}  // namespace konfex

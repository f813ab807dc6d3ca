// The frame of every editor dialog: each showing reloads the editor's file, OK validates, asks before
// dropping rows, writes and closes; Cancel discards. The rules and the file format live in the core model;
// a subclass only moves texts between its controls and that model.
#pragma once

#include <filesystem>
#include <memory>

#include "core/app/app_state.h"
#include "core/app/seams.h"
#include "core/editors/table_editor.h"
#include "gui/app/konfex_dialog.h"

namespace konfex {

class EditorDialog : public KonfexDialog {
  Q_OBJECT

 public:
  // The project file the dialog edits, one of the paths of the active configuration.
  using FileOf = std::filesystem::path ProjectPaths::*;

 protected:
  EditorDialog(QWidget* parent, const char* objectName, AppState& state, const TextTable& texts, MessageBoxes& messages,
               std::unique_ptr<EditorModel> model, FileOf file);

  // The model has just been loaded: show it.
  virtual void modelToControls() = 0;
  // Before validation: put what the controls hold into the model.
  virtual void controlsToModel() = 0;

  void showEvent(QShowEvent* event) override;
  std::filesystem::path file() const { return state_.projectPaths().*file_; }
  EditorModel& model() { return *model_; }

  AppState& state_;
  MessageBoxes& messages_;

 private:
  void okClicked();

  std::unique_ptr<EditorModel> model_;
  FileOf file_;
};

}  // namespace konfex

#include "gui/editors/editor_dialog.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "core/io/files.h"
#include "core/io/text.h"
#include "core/lang/messages.h"

namespace konfex {

EditorDialog::EditorDialog(QWidget* parent, const char* objectName, AppState& state, const TextTable& texts,
                           MessageBoxes& messages, std::unique_ptr<EditorModel> model, FileOf file)
    : KonfexDialog(parent, objectName, texts),
      state_(state),
      messages_(messages),
      model_(std::move(model)),
      file_(file) {
  connect(okButton_, &QPushButton::clicked, this, &EditorDialog::okClicked);
}

void EditorDialog::showEvent(QShowEvent* event) {
  KonfexDialog::showEvent(event);
  // A window restored by the system is no new showing: the edits stay.
  if (event->spontaneous()) return;
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  const std::filesystem::path path = file();
  const LoadResult loaded = model_->load(path);
  if (loaded.status == LoadResult::Status::Malformed)
    messages_.error(texts_.message(msg::kFileMalformed, {utf8String(path), loaded.error}));
  modelToControls();
}

void EditorDialog::okClicked() {
  controlsToModel();
  if (const auto message = model_->validate(texts_)) {
    messages_.error(*message);
    return;
  }
  if (const auto question = model_->dropQuestion(texts_); question && !messages_.question(*question)) return;
  try {
    model_->save(file());
  } catch (const FileError& e) {
    messages_.error(texts_.message(msg::kFileNotSaved, {e.what()}));
    return;
  }
  accept();
}

}  // namespace konfex

#include "gui/app/start_hooks.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace konfex {

namespace {

bool isSet(const char* value) {
  return value != nullptr && *value != '\0';
}

void savePicture(QWidget& widget, const QString& file) {
  if (widget.grab().save(file, "PNG"))
    std::fprintf(stderr, "konfex: saved %s\n", qPrintable(file));
  else
    std::fprintf(stderr, "konfex: could not save %s\n", qPrintable(file));
}

// Clicks the button; while its modal dialog runs its own event loop, a timer looks for it, pictures it and
// closes it. Message boxes on the way are named and closed; a dialog that never comes ends the wait.
void pictureDialog(QWidget& window, const char* request) {
  const QString text = QString::fromLocal8Bit(request);
  const qsizetype split = text.indexOf(QLatin1Char('='));
  auto* button = split > 0 ? window.findChild<QAbstractButton*>(text.left(split)) : nullptr;
  if (button == nullptr) {
    std::fprintf(stderr, "konfex: KONFEX_SCREENSHOT_DIALOG wants BUTTON=FILE with a button of the main window\n");
    return;
  }
  const QString file = text.mid(split + 1);
  bool pictured = false;
  QTimer poll;
  poll.setInterval(100);
  QObject::connect(&poll, &QTimer::timeout, &window, [&pictured, &file] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      std::fprintf(stderr, "konfex: closed a message: %s\n", qPrintable(box->text()));
      box->reject();
      return;
    }
    if (!pictured) savePicture(*modal, file);
    pictured = true;
    if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->reject();
    else
      modal->close();
  });
  poll.start();
  button->click();
  poll.stop();
  if (!pictured) std::fprintf(stderr, "konfex: %s opened no dialog; no picture taken\n", qPrintable(text.left(split)));
}

}  // namespace

StartHooks StartHooks::fromEnvironment() {
  StartHooks hooks;
  const char* quit = std::getenv("KONFEX_QUIT_AFTER_START");
  hooks.quitAfterStart = isSet(quit) && std::strcmp(quit, "0") != 0;
  if (const char* file = std::getenv("KONFEX_SCREENSHOT"); isSet(file)) hooks.screenshot = file;
  if (const char* request = std::getenv("KONFEX_SCREENSHOT_DIALOG"); isSet(request)) hooks.dialogScreenshot = request;
  return hooks;
}

bool StartHooks::any() const {
  return quitAfterStart || screenshot != nullptr || dialogScreenshot != nullptr;
}

void runStartHooks(QWidget& window, const StartHooks& hooks) {
  if (!hooks.any()) return;
  QTimer::singleShot(0, &window, [&window, hooks] {
    if (hooks.screenshot != nullptr) savePicture(window, QString::fromLocal8Bit(hooks.screenshot));
    if (hooks.dialogScreenshot != nullptr) pictureDialog(window, hooks.dialogScreenshot);
    window.close();
  });
}

}  // namespace konfex

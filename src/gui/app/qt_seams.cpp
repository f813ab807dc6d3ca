#include "gui/app/qt_seams.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "core/io/text.h"
#include "gui/app/qt_text.h"

namespace konfex {

namespace {

QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const std::string& text,
                                    QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, QStringLiteral("Konfex"), toQ(text), buttons, QApplication::activeWindow());
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void QtMessageBoxes::error(const std::string& text) {
  showBox(QMessageBox::Critical, text, QMessageBox::Ok);
}

void QtMessageBoxes::warning(const std::string& text) {
  showBox(QMessageBox::Warning, text, QMessageBox::Ok);
}

bool QtMessageBoxes::question(const std::string& text) {
  return showBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtBrowser::open(const std::string& url) {
  QDesktopServices::openUrl(QUrl(toQ(url)));
}

std::optional<std::filesystem::path> QtFilePicker::openFile(const std::string& filter) {
  const QString chosen = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), QString(), toQ(filter));
  if (chosen.isEmpty()) return std::nullopt;
  return utf8Path(fromQ(chosen));
}

InputBlocker::InputBlocker() {
  qApp->installEventFilter(this);
}

InputBlocker::~InputBlocker() {
  qApp->removeEventFilter(this);
}

bool InputBlocker::eventFilter(QObject* /*watched*/, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Close:
    case QEvent::ContextMenu: event->ignore(); return true;
    default: return false;
  }
}

}  // namespace konfex

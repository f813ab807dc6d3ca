// The editor dialogs' tests: a main window with an active configuration, and helpers that type into
// whatever has the focus and read a table view's cells.
#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>

#include "gui_fixture.h"

// Readable failures for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace konfex::test {

class EditorsTest : public GuiTest {
 protected:
  MainWindow& startWithConfiguration() {
    std::filesystem::create_directories(home_ / "PROJECTS" / "Plant" / "bin");
    MainWindow& w = start();
    state_->setActiveConfiguration("Plant");
    return w;
  }
  std::filesystem::path project() const { return home_ / "PROJECTS" / "Plant"; }

  // Shows the dialog as the user meets it: visible, active, ready for keys.
  void showActive(QWidget* dialog) {
    dialog->show();
    dialog->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
  }

  // Types each character into the widget that has the focus at that moment.
  static void typeIntoFocus(const QString& text) {
    for (const QChar ch : text) {
      QWidget* target = QApplication::focusWidget();
      ASSERT_NE(target, nullptr);
      QTest::keyClick(target, ch.toLatin1());
    }
  }

  static QString cell(QAbstractItemView* view, int row, int col, int role = Qt::EditRole) {
    return view->model()->index(row - 1, col).data(role).toString();
  }
};

}  // namespace konfex::test

#include <cstdlib>

#include <QApplication>
#include <QScreen>

#include "core/app/app_state.h"
#include "core/app/product.h"
#include "gui/app/main_window.h"
#include "gui/app/qt_seams.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Konfex"));

  konfex::AppState state(konfex::programFolder(konfex::executableFolder(argv[0]), std::getenv("KONFEX_HOME")));
  konfex::TextTable texts;
  konfex::QtMessageBoxes messages;
  konfex::QtBrowser browser;
  konfex::SystemProgramLauncher launcher;
  konfex::SteadyClock clock;
  konfex::MainWindow::Services services{messages, browser, launcher, clock};
  konfex::MainWindow window(state, texts, services, konfex::makerBaseUrl(std::getenv("KONFEX_MAKER_URL")));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    window.move(screen->availableGeometry().center() - window.rect().center());
  window.show();
  return app.exec();
}

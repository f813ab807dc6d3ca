#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QScreen>

#include "core/app/app_state.h"
#include "core/app/product.h"
#include "core/app/program_location.h"
#include "core/io/text.h"
#include "gui/app/main_window.h"
#include "gui/app/qt_seams.h"
#include "gui/app/start_hooks.h"
#include "platform/http_curl.h"
#include "platform/icmp.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Konfex"));
  QApplication::setDesktopFileName(QStringLiteral("konfex"));  // the installed konfex.desktop: menu icon, taskbar

  const std::filesystem::path executables = konfex::executableFolder(argv[0]);
  const konfex::ProgramLocation location = konfex::locateProgram(
      executables, {std::getenv("KONFEX_HOME"), std::getenv("XDG_DATA_HOME"), std::getenv("HOME")});
  for (const std::string& problem : konfex::seedProgramFolder(location.shipped, location.program))
    std::fprintf(stderr, "konfex: %s\n", problem.c_str());
  // The programs started from here (the updater) find the same program folder through the variable.
  qputenv("KONFEX_HOME", QByteArray::fromStdString(konfex::utf8String(location.program)));
  konfex::AppState state(location.program, executables);
  konfex::TextTable texts;
  konfex::QtMessageBoxes messages;
  konfex::QtBrowser browser;
  konfex::SystemProgramLauncher launcher;
  konfex::SteadyClock clock;
  konfex::MainWindow::Services services{messages, browser, launcher, clock};
  konfex::QtFilePicker filePicker;
  services.filePicker = &filePicker;
  konfex::CurlHttpClient http;
  services.http = &http;
  konfex::SystemIcmpClient icmp;
  services.icmp = &icmp;
  konfex::MainWindow window(state, texts, services, konfex::makerBaseUrl(std::getenv("KONFEX_MAKER_URL")));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    window.move(screen->availableGeometry().center() - window.rect().center());
  window.show();
  konfex::runStartHooks(window, konfex::StartHooks::fromEnvironment());
  return app.exec();
}

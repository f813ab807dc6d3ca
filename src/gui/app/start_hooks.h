// Hooks for scripts (package check, screenshots), taken from the environment at start:
//   KONFEX_QUIT_AFTER_START=1        close the main window (settings are saved as usual) once the event loop runs;
//   KONFEX_SCREENSHOT=FILE.png       save a picture of the main window first, then close it;
//   KONFEX_SCREENSHOT_DIALOG=BUTTON=FILE.png
//                                    click the main window's button of that objectName and save a picture of the
//                                    modal dialog it opens (none when it opens no dialog or only a message), then
//                                    close the dialog and the main window.
// Without any of them nothing changes.
#pragma once

class QWidget;

namespace konfex {

struct StartHooks {
  bool quitAfterStart = false;
  const char* screenshot = nullptr;
  const char* dialogScreenshot = nullptr;

  static StartHooks fromEnvironment();
  bool any() const;
};

// Call after the window is shown; the work runs once the event loop has started.
void runStartHooks(QWidget& window, const StartHooks& hooks);

}  // namespace konfex

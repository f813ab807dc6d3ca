// The real implementations of core's user-facing seams.
#pragma once

#include <QObject>

#include "core/app/seams.h"

namespace konfex {

class QtMessageBoxes final : public MessageBoxes {
 public:
  void error(const std::string& text) override;
  void warning(const std::string& text) override;
  bool question(const std::string& text) override;
};

class QtBrowser final : public Browser {
 public:
  void open(const std::string& url) override;
};

class QtFilePicker final : public FilePicker {
 public:
  std::optional<std::filesystem::path> openFile(const std::string& filter) override;
};

// While alive, swallows every user input event of the application (mouse, keys, wheel, touch and window
// close requests) so that windows keep repainting during a blocking wait without reacting to the user.
class InputBlocker final : public QObject {
 public:
  InputBlocker();
  ~InputBlocker() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace konfex

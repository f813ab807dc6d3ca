// A fresh program folder and a main window built on recorders for every test.
#pragma once

#include <functional>
#include <memory>

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "core/app/app_state.h"
#include "fake_icmp.h"
#include "gui/app/main_window.h"
#include "gui/app/qt_text.h"
#include "test_support.h"

namespace konfex::test {

class ScriptedLauncher final : public ProgramLauncher {
 public:
  std::unique_ptr<RunningProgram> start(const std::filesystem::path&, const std::string&, bool) override {
    struct Program final : RunningProgram {
      ScriptedLauncher& owner;
      explicit Program(ScriptedLauncher& o) : owner(o) {}
      bool hasExited() override { return owner.onPoll ? owner.onPoll() : true; }
    };
    return std::make_unique<Program>(*this);
  }
  std::function<bool()> onPoll;  // true once the program has ended
};

// The open-file dialog: answers with the scripted path (nullopt: the user cancels) and records the filters.
class ScriptedFilePicker final : public FilePicker {
 public:
  std::optional<std::filesystem::path> openFile(const std::string& filter) override {
    filters.push_back(filter);
    return answer;
  }
  std::optional<std::filesystem::path> answer;
  std::vector<std::string> filters;
};

// The maker's version service: records every request and answers with `answer` once polled
// `pollsUntilAnswer` times; while `silent`, it does not answer at all.
class ScriptedHttp final : public HttpClient {
 public:
  std::unique_ptr<HttpTransfer> get(const HttpRequest& request) override {
    requests.push_back(request);
    struct Transfer final : HttpTransfer {
      ScriptedHttp& owner;
      int polled = 0;
      explicit Transfer(ScriptedHttp& o) : owner(o) {}
      bool poll() override { return !owner.silent && ++polled >= owner.pollsUntilAnswer; }
      HttpAnswer answer() const override { return owner.answer; }
    };
    return std::make_unique<Transfer>(*this);
  }
  HttpAnswer answer{200, "VER. 1.000"};
  int pollsUntilAnswer = 1;
  bool silent = false;
  std::vector<HttpRequest> requests;
};

class GuiTest : public ::testing::Test {
 protected:
  void TearDown() override {
    window_.reset();
    state_.reset();
  }

  MainWindow& start() {
    window_.reset();
    state_ = std::make_unique<AppState>(home_.path());
    texts_ = TextTable();
    MainWindow::Services services{messages_, browser_, launcher_, clock_};
    services.filePicker = &filePicker_;
    services.http = &http_;
    services.icmp = &icmp_;
    window_ = std::make_unique<MainWindow>(*state_, texts_, services, "http://maker.test");
    return *window_;
  }

  template <typename T = QWidget>
  T* find(QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QString labelText(QWidget* parent, const char* name) { return find<QLabel>(parent, name)->text(); }
  void click(QWidget* parent, const char* name) { find<QPushButton>(parent, name)->click(); }

  // Runs `action` on the modal dialog once it is shown, while `open` blocks in its event loop.
  void whileModal(const std::function<void()>& open, const std::function<void(QWidget*)>& action) {
    QTimer::singleShot(0, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      action(modal);
      if (modal->isVisible()) modal->close();
    });
    open();
  }

  std::vector<std::string> shownTexts() const {
    std::vector<std::string> texts;
    for (const auto& s : messages_.shown) texts.push_back(s.text);
    return texts;
  }

  TempDir home_;
  RecordingMessages messages_;
  RecordingBrowser browser_;
  ScriptedLauncher launcher_;
  FakeClock clock_;
  FakeIcmp icmp_{clock_};
  ScriptedFilePicker filePicker_;
  ScriptedHttp http_;
  TextTable texts_;
  std::unique_ptr<AppState> state_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace konfex::test

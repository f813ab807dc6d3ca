// End to end on one machine: a configuration compiled by the main window, the real update dialog with a
// real ICMP check of a loopback address, the job file it writes, the real updater as a child process and
// the simulator as the device. Every packet goes to 127.0.0.0/8.
#include <cstdlib>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "child_process.h"
#include "core/app/app_state.h"
#include "core/editors/number_text.h"
#include "core/io/text.h"
#include "gui/app/main_window.h"
#include "gui/update/boot_dialog.h"
#include "platform/icmp.h"
#include "platform/process.h"
#include "test_support.h"

namespace konfex::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::span<const uint8_t> bytesOf(const std::string& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

class UpdateEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    SystemIcmpClient probe;
    try {
      probe.sendEcho("127.0.0.1");
    } catch (const IcmpError& e) {
      GTEST_SKIP() << e.what();
    }
    fs::create_directories(home_ / "PROJECTS" / "Line" / "bin");
    writeText(home_ / "PROJECTS" / "Line" / "ParGen.xml",
              "<Par_Gen>\n  <EtherNetIP_Master_IP1>10</EtherNetIP_Master_IP1>\n"
              "  <EtherNetIP_Master_IP2>1</EtherNetIP_Master_IP2>\n  <EtherNetIP_Master_IP3>2</EtherNetIP_Master_IP3>\n"
              "  <EtherNetIP_Master_IP4>3</EtherNetIP_Master_IP4>\n  <CAN_BAUDRATE>7</CAN_BAUDRATE>\n</Par_Gen>\n");
    writeText(home_ / "Konfex.xml", "<C><lastproj><projectname>Line</projectname></lastproj></C>");
    fs::create_directories(home_ / "MASTER");
    fs::copy_file(programPath("MASTER") / "Sim40213.sim", home_ / "MASTER" / "Sim40213.sim");
    fs::create_directories(saved_);
    // The updater beside the build's executables finds the program folder through the variable, as the
    // configurator's own children do.
    setenv("KONFEX_HOME", home_.path().c_str(), 1);
    state_ = std::make_unique<AppState>(home_.path(), programPath(""));
    MainWindow::Services services{messages_, browser_, launcher_, clock_};
    services.icmp = &icmp_;
    window_ = std::make_unique<MainWindow>(*state_, texts_, services, "http://maker.test");
  }
  void TearDown() override {
    window_.reset();
    unsetenv("KONFEX_HOME");
  }

  // Compiles, then fills the dialog and presses the update button; returns once the updater has ended.
  void updateThroughTheDialog(const std::string& address, int option) {
    const IpTextParts split = splitIpText(address);
    ASSERT_TRUE(split.valid) << address;
    const auto& parts = split.parts;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<BootDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      for (int i = 0; i < 4; ++i)
        dialog->findChild<QLineEdit*>(QStringLiteral("E_IP%1").arg(i + 1))->setText(QString::fromStdString(parts[i]));
      dialog->findChild<QComboBox*>("CB_Update_Options")->setCurrentIndex(option);
      dialog->findChild<QCheckBox*>("CB_Update_Option_Read_Back")->setChecked(true);
      const auto started = std::chrono::steady_clock::now();
      dialog->findChild<QPushButton*>("Btn_Update")->click();
      took_ = std::chrono::steady_clock::now() - started;
      EXPECT_TRUE(dialog->isVisible()) << "the dialog stays open after the updater";
      dialog->reject();
    });
    EXPECT_TRUE(window_->updateDevice());
  }

  std::string saved(const char* name) const { return readText(saved_ / name); }

  TempDir home_;
  fs::path saved_ = home_ / "device";
  RecordingMessages messages_;
  RecordingBrowser browser_;
  SystemProgramLauncher launcher_;
  SteadyClock clock_;
  SystemIcmpClient icmp_;
  TextTable texts_;
  std::unique_ptr<AppState> state_;
  std::unique_ptr<MainWindow> window_;
  std::chrono::steady_clock::duration took_{};
};

TEST_F(UpdateEndToEnd, TheSimulatorEndsUpHoldingTheImageAndTheFirmware) {
  Simulated device({"--app-port", "0", "--boot-port", "2008", "--save", saved_.string()});
  if (!device.ready()) GTEST_SKIP() << "the boot port 2008 of 127.0.0.1 is taken: " << device.process.err();
  updateThroughTheDialog("127.0.0.1", 0);
  EXPECT_TRUE(messages_.shown.empty()) << messages_.shown.front().text;
  EXPECT_LT(took_, 30s) << "the updater closed its window by itself after the success";
  const std::string bank = readText(home_ / "PROJECTS" / "Line" / "bin" / "bank.bin");
  EXPECT_EQ(bank.size(), 35136u);
  EXPECT_TRUE(sameBytes(bytesOf(saved("0x60000.bin")), bytesOf(bank)));
  EXPECT_TRUE(sameBytes(bytesOf(saved("0x8000.bin")), bytesOf(readText(home_ / "MASTER" / "Sim40213.sim"))));
  EXPECT_EQ(state_->settings().lastDeviceIp, "127.0.0.1");
  device.process.terminate();
  EXPECT_NE(device.process.out().find("address 10.1.2.3"), std::string::npos) << device.process.out();
  EXPECT_NE(device.process.out().find("checksum"), std::string::npos);
}

TEST_F(UpdateEndToEnd, LossesAreRepairedAndWithoutADeviceTheUpdaterSaysWhy) {
  // On another loopback address, listening only on the secondary port, and losing a fifth of the datagrams.
  {
    Simulated device({"--app-port", "0", "--boot-port", "2007", "--drop", "0.2", "--save", saved_.string()},
                     "127.0.0.2");
    if (!device.ready()) GTEST_SKIP() << "port 2007 of 127.0.0.2 is taken: " << device.process.err();
    updateThroughTheDialog("127.0.0.2", 2);
    EXPECT_TRUE(messages_.shown.empty()) << messages_.shown.front().text;
    EXPECT_TRUE(
        sameBytes(bytesOf(saved("0x60000.bin")), bytesOf(readText(home_ / "PROJECTS" / "Line" / "bin" / "bank.bin"))));
    EXPECT_FALSE(fs::exists(saved_ / "0x8000.bin")) << "configuration only";
  }
  // The simulator is gone: the job the dialog wrote now fails, quickly and with the reason.
  ChildProcess updater({programPath("Ethernet_Update").string(), "--headless"});
  const std::optional<int> code = updater.wait(10s);
  EXPECT_EQ(code, 1);
  EXPECT_NE(updater.err().find("no answer from 127.0.0.2 on port 2008 (nothing listens there) or 2007"),
            std::string::npos)
      << updater.err();
}

}  // namespace
}  // namespace konfex::test

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "core/update/job_file.h"
#include "gui/update/boot_dialog.h"
#include "gui_fixture.h"

namespace konfex::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class UpdateDialogTest : public GuiTest {
 protected:
  MainWindow& startWithConfiguration() {
    fs::create_directories(home_ / "PROJECTS" / "Line" / "bin");
    writeText(home_ / "Konfex.xml", "<C><lastproj><projectname>Line</projectname></lastproj></C>");
    MainWindow& w = start();
    launcher_.onPoll = [this] {
      ++updaterPolls_;
      return true;
    };
    return w;
  }
  // Opens the dialog through "Update Device UDP" and runs `action` on it.
  void inDialog(MainWindow& w, const std::function<void(BootDialog&)>& action) {
    whileModal([&] { EXPECT_TRUE(w.updateDevice()); },
               [&](QWidget* modal) {
                 auto* dialog = qobject_cast<BootDialog*>(modal);
                 ASSERT_NE(dialog, nullptr) << modal->objectName().toStdString();
                 dialog->activateWindow();
                 EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
                 action(*dialog);
               });
  }
  QLineEdit* field(QWidget* d, int n) { return find<QLineEdit>(d, ("E_IP" + std::to_string(n)).c_str()); }
  void setAddress(QWidget* d, const char* a, const char* b, const char* c, const char* e) {
    field(d, 1)->setText(a);
    field(d, 2)->setText(b);
    field(d, 3)->setText(c);
    field(d, 4)->setText(e);
  }
  int updaterPolls_ = 0;
};

TEST_F(UpdateDialogTest, IsLaidOutWithItsTexts) {
  MainWindow& w = startWithConfiguration();
  inDialog(w, [&](BootDialog& d) {
    EXPECT_EQ(d.objectName(), "TFBoot");
    EXPECT_EQ(d.formType(), 1);
    EXPECT_EQ(d.size(), QSize(449, 230));
    EXPECT_EQ(find(&d, "P_Title")->geometry(), QRect(0, 0, 449, 69));
    EXPECT_EQ(find(&d, "P_IP_Address")->geometry(), QRect(0, 69, 449, 49));
    EXPECT_EQ(find(&d, "P_Options")->geometry(), QRect(0, 118, 449, 72));
    EXPECT_EQ(find(&d, "P_Button")->geometry(), QRect(0, 190, 449, 40));
    EXPECT_EQ(d.windowTitle(), "Update Device by Ethernet (UDP)");
    EXPECT_EQ(labelText(&d, "L_SW_Code"), "QS40213");
    EXPECT_EQ(labelText(&d, "L_SW_Desc"), "Update Device Using the Ethernet Port");
    EXPECT_EQ(labelText(&d, "L_IP_Address"), "Insert the IP Address of Device");
    EXPECT_EQ(labelText(&d, "L_Update_Option"), "Select Update Options");
    auto* options = find<QComboBox>(&d, "CB_Update_Options");
    EXPECT_FALSE(options->isEditable());
    ASSERT_EQ(options->count(), 3);
    EXPECT_EQ(options->itemText(0), "Firmware + Configuration");
    EXPECT_EQ(options->itemText(1), "Firmware");
    EXPECT_EQ(options->itemText(2), "Configuration");
    EXPECT_EQ(options->toolTip(), "Select the operation to do in update");
    auto* readBack = find<QCheckBox>(&d, "CB_Update_Option_Read_Back");
    EXPECT_EQ(readBack->text(), "Read Back");
    EXPECT_EQ(readBack->toolTip(), "Enable or disable the possibility to read back the Firmware/Configuration");
    EXPECT_EQ(find<QPushButton>(&d, "Btn_Cancel")->text(), "Cancel");
    EXPECT_EQ(find<QPushButton>(&d, "Btn_Cancel")->toolTip(), "Exit without to do the Update");
    EXPECT_EQ(find<QPushButton>(&d, "Btn_Update")->text(), "Execute Update Firmware");
    EXPECT_EQ(find<QPushButton>(&d, "Btn_Update")->toolTip(), "Start the update of Device");
    EXPECT_EQ(d.findChild<QPushButton*>("Btn_OK"), nullptr);
    const char* hints[] = {"Insert first byte of IP Address", "Insert second byte of IP Address",
                           "Insert third byte of IP Address", "Insert fourth byte of IP Address"};
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(field(&d, n)->toolTip(), hints[n - 1]);

    // Tab order: the address fields, the options, then Cancel and Update.
    std::vector<std::string> order;
    for (QWidget* at = QApplication::focusWidget(); order.size() < 8; at = QApplication::focusWidget()) {
      ASSERT_NE(at, nullptr);
      order.push_back(at->objectName().toStdString());
      QTest::keyClick(at, Qt::Key_Tab);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"E_IP1", "E_IP2", "E_IP3", "E_IP4", "CB_Update_Options",
                                               "CB_Update_Option_Read_Back", "Btn_Cancel", "Btn_Update"}));
  });
}

TEST_F(UpdateDialogTest, EachShowingAppliesTheTextsAndTheRememberedValues) {
  MainWindow& w = startWithConfiguration();
  inDialog(w, [&](BootDialog& d) {
    // The default last address fills the fields of the first showing.
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(field(&d, n)->text(), QString::number(std::vector{192, 168, 2, 205}[n - 1]));
    EXPECT_EQ(find<QComboBox>(&d, "CB_Update_Options")->currentIndex(), 0);
    EXPECT_TRUE(find<QCheckBox>(&d, "CB_Update_Option_Read_Back")->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), field(&d, 1));
    setAddress(&d, "10", "0", "0", "x");
  });
  state_->settings().lastDeviceIp = " 10 . 1 . 2 . 0x0A ";
  state_->updateOptionIndex = 2;
  state_->readBack = false;
  texts_.set(1002, "Geraet aktualisieren");
  inDialog(w, [&](BootDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Geraet aktualisieren");
    EXPECT_EQ(d.addressText(), "10.1.2.0x0A") << "the parts as the address rule returns them, trimmed";
    EXPECT_EQ(find<QComboBox>(&d, "CB_Update_Options")->currentIndex(), 2);
    EXPECT_FALSE(find<QCheckBox>(&d, "CB_Update_Option_Read_Back")->isChecked());
    setAddress(&d, "1", "2", "3", "4");
  });
  state_->settings().lastDeviceIp = "1.2.3";  // refused by the address rule: the fields keep their texts
  inDialog(w, [&](BootDialog& d) { EXPECT_EQ(d.addressText(), "1.2.3.4"); });
  EXPECT_TRUE(icmp_.sent.empty());
}

TEST_F(UpdateDialogTest, APointMovesToTheNextFieldAndIsNeverTyped) {
  MainWindow& w = startWithConfiguration();
  inDialog(w, [&](BootDialog& d) {
    setAddress(&d, "", "", "", "");
    for (int n = 1; n <= 4; ++n) {
      QTest::keyClicks(field(&d, n), "12");
      QTest::keyClick(field(&d, n), '.');
      EXPECT_EQ(field(&d, n)->text(), "12") << n;
      EXPECT_EQ(QApplication::focusWidget(), field(&d, n < 4 ? n + 1 : 4)) << n;
    }
    QTest::keyClicks(field(&d, 2), "a,b");
    EXPECT_EQ(field(&d, 2)->text(), "12a,b") << "every other key reaches the field";
  });
}

TEST_F(UpdateDialogTest, AnAnsweringAddressIsRememberedAndTheUpdaterGetsItsJob) {
  MainWindow& w = startWithConfiguration();
  inDialog(w, [&](BootDialog& d) {
    setAddress(&d, "10", "0", "0", "9");
    find<QComboBox>(&d, "CB_Update_Options")->setCurrentIndex(2);
    find<QCheckBox>(&d, "CB_Update_Option_Read_Back")->setChecked(false);
    click(&d, "Btn_Update");
    EXPECT_TRUE(d.isVisible()) << "the dialog stays open";
  });
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(icmp_.sent, std::vector<std::string>(2, "10.0.0.9"));
  EXPECT_EQ(state_->settings().lastDeviceIp, "10.0.0.9");
  EXPECT_EQ(state_->updateOptionIndex, 2);
  EXPECT_FALSE(state_->readBack);
  EXPECT_EQ(readText(home_ / "Ethernet_Update.xml"),
            jobFileXml({"10.0.0.9", UpdateOption::Configuration, false, home_ / "MASTER" / "Sim40213.sim",
                        home_ / "PROJECTS" / "Line" / "bin" / "bank.bin"}));
  EXPECT_GT(updaterPolls_, 0) << "the updater was started and awaited";
}

TEST_F(UpdateDialogTest, AFailedCheckShowsWhyAndStoresNothing) {
  struct Case {
    const char* name;
    FakeIcmp::Answer answer;
    char kind;
    std::string text;
  };
  const Case cases[] = {
      {"never answers", FakeIcmp::silent(), 'W', "Device Not Found!"},
      {"no usable address", FakeIcmp::failing("\"1.x.3.4\" is no dotted IPv4 address"), 'E',
       "Error!!! Check the Ip Address\nThe echo request could not be sent: \"1.x.3.4\" is no dotted IPv4 address"},
      {"no ICMP socket", FakeIcmp::failing("no ICMP socket could be opened"), 'E',
       "Error!!! Check the Ip Address\nThe echo request could not be sent: no ICMP socket could be opened"},
  };
  for (const Case& c : cases) {
    messages_.shown.clear();
    MainWindow& w = startWithConfiguration();
    icmp_.script = {c.answer};
    inDialog(w, [&](BootDialog& d) {
      setAddress(&d, "1", "x", "3", "4");
      find<QComboBox>(&d, "CB_Update_Options")->setCurrentIndex(1);
      click(&d, "Btn_Update");
    });
    ASSERT_EQ(messages_.shown.size(), 1u) << c.name;
    EXPECT_EQ(messages_.shown[0].kind, c.kind) << c.name;
    EXPECT_EQ(messages_.shown[0].text, c.text) << c.name;
    EXPECT_EQ(state_->settings().lastDeviceIp, "192.168.2.205") << c.name;
    EXPECT_EQ(state_->updateOptionIndex, 0) << c.name;
    EXPECT_FALSE(fs::exists(home_ / "Ethernet_Update.xml")) << c.name;
    EXPECT_EQ(updaterPolls_, 0) << c.name;
  }
}

TEST_F(UpdateDialogTest, AJobFileThatCannotBeWrittenStopsTheUpdate) {
  MainWindow& w = startWithConfiguration();
  fs::create_directory(home_ / "Ethernet_Update.xml");  // nothing can replace a folder
  inDialog(w, [&](BootDialog&) { click(QApplication::activeModalWidget(), "Btn_Update"); });
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].kind, 'E');
  EXPECT_EQ(messages_.shown[0].text.rfind("The job file of the updater could not be written; the updater was not "
                                          "started.\n" +
                                              (home_ / "Ethernet_Update.xml").string(),
                                          0),
            0u)
      << messages_.shown[0].text;
  EXPECT_EQ(updaterPolls_, 0);
}

TEST_F(UpdateDialogTest, AnUpdaterThatCannotStartIsReported) {
  AppState state(home_.path());
  TextTable texts;
  bool busy = false;
  std::filesystem::path started;
  BootDialog d(nullptr, state, texts,
               {messages_, &icmp_, clock_,
                [&](const fs::path& program, const std::string&, bool) {
                  started = program;
                  return StartOutcome::NotStarted;
                },
                busy});
  d.show();
  click(&d, "Btn_Update");
  EXPECT_EQ(started, home_ / "Ethernet_Update");
  EXPECT_EQ(shownTexts(),
            std::vector<std::string>{"The updater could not be started: " + (home_ / "Ethernet_Update").string()});
}

TEST_F(UpdateDialogTest, NothingElseStartsWhileACheckRuns) {
  MainWindow& w = startWithConfiguration();
  icmp_.script = {FakeIcmp::answered(200ms)};
  inDialog(w, [&](BootDialog& d) {
    bool looked = false;
    QTimer::singleShot(0, [&] {
      // Inside the check: its pumping runs this.
      looked = true;
      EXPECT_TRUE(w.busy());
      EXPECT_TRUE(d.running());
      EXPECT_FALSE(find<QPushButton>(&d, "Btn_Update")->isEnabled());
      EXPECT_FALSE(find<QPushButton>(&d, "Btn_Cancel")->isEnabled());
      click(&d, "Btn_Update");
      QTest::keyClick(&d, Qt::Key_Escape);
      d.close();
      EXPECT_TRUE(d.isVisible()) << "neither Escape nor the close box ends the dialog meanwhile";
    });
    click(&d, "Btn_Update");
    EXPECT_TRUE(looked);
    EXPECT_FALSE(w.busy());
    EXPECT_TRUE(find<QPushButton>(&d, "Btn_Update")->isEnabled());
    EXPECT_TRUE(find<QPushButton>(&d, "Btn_Cancel")->isEnabled());
  });
  EXPECT_EQ(icmp_.sent.size(), 2u) << "one check only";
  EXPECT_EQ(updaterPolls_, 1) << "one updater only";
}

}  // namespace
}  // namespace konfex::test

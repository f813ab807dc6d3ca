#include <QLineEdit>
#include <QTest>

#include "core/app/settings.h"
#include "gui/store/new_project_dialog.h"
#include "gui/store/open_conf_dialog.h"
#include "gui_fixture.h"

namespace konfex::test {
namespace {

namespace fs = std::filesystem;

using MainWindowTest = GuiTest;

TEST_F(MainWindowTest, ShowsTheStepsAsLaidOut) {
  MainWindow& w = start();
  EXPECT_EQ(w.size(), QSize(694, 484));
  EXPECT_EQ(w.windowTitle(), "Veltrona - Configurator QS40213 - EtherNet/IP Master / CAN ");
  EXPECT_EQ(labelText(&w, "L_SW_Code"), "QS40213");
  EXPECT_EQ(labelText(&w, "L_SW_Desc"), "EtherNet/IP Master / CAN - Converter");
  EXPECT_EQ(labelText(&w, "L_Name_Conf"), "None Configuration Opened ");
  EXPECT_EQ(labelText(&w, "L_Name_Conf_L2"), "Use Step1 to open or create new configuration");
  EXPECT_EQ(labelText(&w, "L_Veltrona"), "maker.test");
  EXPECT_FALSE(find(&w, "LL_Update")->isVisibleTo(&w));

  struct Button {
    const char* name;
    QRect geometry;
    const char* caption;
    const char* hint;
  };
  const Button buttons[] = {
      {"Btn_New", {80, 112, 170, 36}, "New Configuration", "Create a new configuration for the device"},
      {"Btn_Open", {258, 112, 170, 36}, "Open Configuration", "Open an exists configuration"},
      {"Btn_Prm_Gen", {80, 156, 170, 36}, "Set Communication", "Set the main parameters of Protocols"},
      {"Btn_EtherNetIP_Access", {80, 200, 170, 36}, "EtherNet/IP Access", "Set the Network of EtherNet/IP Slave"},
      {"Btn_CAN_Rec_Frame", {80, 244, 170, 36}, "Receive Frames", "Set the CAN Receive Frames Rules"},
      {"Btn_CAN_Send_Frame", {80, 288, 170, 36}, "Send Frames", "Set the CAN Send Frames Rules"},
      {"Btn_CreateBin",
       {80, 332, 170, 36},
       "Update Device UDP",
       "Update the actual Firmware and/or Configuration in the device"},
      {"Btn_Info", {516, 8, 50, 50}, "", "Information"},
      {"Btn_Opz", {574, 8, 50, 50}, "", "Options"},
      {"Btn_Close", {632, 8, 50, 50}, "", "Close Configurator"},
  };
  for (const Button& b : buttons) {
    auto* button = find<QPushButton>(&w, b.name);
    EXPECT_EQ(button->geometry(), b.geometry) << b.name;
    EXPECT_EQ(button->text(), b.caption) << b.name;
    EXPECT_EQ(button->toolTip(), b.hint) << b.name;
    EXPECT_FALSE(button->icon().isNull()) << b.name;
  }
  for (int n = 1; n <= 6; ++n) {
    const std::string name = "L_Step_" + std::to_string(n);
    auto* label = find<QLabel>(&w, name.c_str());
    EXPECT_EQ(label->pos(), QPoint(16, 128 + 44 * (n - 1)));
    EXPECT_EQ(label->text(), QString("Step %1").arg(n));
  }
  EXPECT_EQ(find(&w, "L_Veltrona")->pos(), QPoint(565, 348));
  EXPECT_EQ(find(&w, "Shape1")->geometry(), QRect(10, 383, 674, 1));
  EXPECT_EQ(find(&w, "Shape2")->geometry(), QRect(80, 70, 348, 36));
  EXPECT_EQ(w.palette().color(QPalette::Window), QColor(248, 245, 237));
}

TEST_F(MainWindowTest, EditingStepsRefuseWithoutAConfiguration) {
  MainWindow& w = start();
  for (const char* name :
       {"Btn_Prm_Gen", "Btn_EtherNetIP_Access", "Btn_CAN_Rec_Frame", "Btn_CAN_Send_Frame", "Btn_CreateBin"})
    click(&w, name);
  EXPECT_EQ(shownTexts(), std::vector<std::string>(5, "Error! Project not Valid"));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindowTest, CloseSavesTheSettingsEvenWhenTheFileCannotBeWritten) {
  MainWindow& w = start();
  w.show();
  click(&w, "Btn_Close");
  EXPECT_FALSE(w.isVisible());
  const Settings saved = readSettings(home_ / "Konfex.xml");
  EXPECT_EQ(saved, Settings{});
  EXPECT_TRUE(fs::exists(home_ / "Konfex.xml"));

  fs::remove(home_ / "Konfex.xml");
  fs::create_directory(home_ / "Konfex.xml");  // nothing can replace a folder
  MainWindow& again = start();
  again.show();
  again.close();
  EXPECT_FALSE(again.isVisible());
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].kind, 'E');
  EXPECT_NE(messages_.shown[0].text.find("Konfex.xml"), std::string::npos);
}

TEST_F(MainWindowTest, ANewConfigurationIsShownSavedAndRestored) {
  MainWindow& w = start();
  whileModal([&] { click(&w, "Btn_New"); },
             [&](QWidget* dialog) {
               EXPECT_EQ(dialog->objectName(), "TFNew_Project");
               find<QLineEdit>(dialog, "E_New_Proj")->setText(" Line 7 ");
               click(dialog, "Btn_OK");
             });
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_TRUE(fs::is_directory(home_ / "PROJECTS" / " Line 7 " / "bin"));
  EXPECT_EQ(labelText(&w, "L_Name_Conf"), "Opened Configuration of the Converter : ");
  EXPECT_EQ(labelText(&w, "L_Name_Conf_L2"), " Line 7 ");
  w.close();

  MainWindow& restarted = start();
  EXPECT_EQ(labelText(&restarted, "L_Name_Conf_L2"), " Line 7 ");
  EXPECT_EQ(state_->activeFolder(), home_ / "PROJECTS" / " Line 7 ");
}

TEST_F(MainWindowTest, OpenMakesTheChosenConfigurationActive) {
  for (const char* name : {"beta", "Alpha"}) fs::create_directories(home_ / "PROJECTS" / name / "bin");
  MainWindow& w = start();
  whileModal([&] { click(&w, "Btn_Open"); }, [&](QWidget* dialog) { click(dialog, "Btn_OK"); });
  EXPECT_EQ(state_->activeName(), "Alpha") << "without an active configuration the first entry is chosen";
  EXPECT_EQ(labelText(&w, "L_Name_Conf_L2"), "Alpha");
  whileModal([&] { click(&w, "Btn_Open"); }, [&](QWidget* dialog) { click(dialog, "Btn_Cancel"); });
  EXPECT_EQ(state_->activeName(), "Alpha");
}

TEST_F(MainWindowTest, UpdateDeviceWritesTheImageOrReportsWhyNot) {
  fs::create_directories(home_ / "PROJECTS" / "Line" / "bin");
  writeText(home_ / "Konfex.xml", "<C><lastproj><projectname>Line</projectname></lastproj></C>");
  MainWindow& w = start();
  const fs::path image = home_ / "PROJECTS" / "Line" / "bin" / "bank.bin";
  // The image is written before the update dialog opens.
  whileModal([&] { click(&w, "Btn_CreateBin"); },
             [&](QWidget* dialog) {
               EXPECT_EQ(dialog->objectName(), "TFBoot");
               EXPECT_EQ(fs::file_size(image), 35136u);
             });
  EXPECT_TRUE(messages_.shown.empty());

  fs::remove(image);
  writeText(home_ / "PROJECTS" / "Line" / "CAN_Rec_Frames.xml", "<Receive_Frames><row></Receive_Frames>");
  EXPECT_FALSE(w.updateDevice());
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_NE(messages_.shown[0].text.find("CAN_Rec_Frames.xml"), std::string::npos);
  EXPECT_NE(messages_.shown[0].text.find("line 1"), std::string::npos);
  EXPECT_FALSE(fs::exists(image));

  fs::remove(home_ / "PROJECTS" / "Line" / "CAN_Rec_Frames.xml");
  fs::remove_all(home_ / "PROJECTS" / "Line" / "bin");
  EXPECT_FALSE(w.updateDevice());
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_NE(messages_.shown[1].text.find("bank.bin"), std::string::npos);
}

TEST_F(MainWindowTest, ALanguageChangeReachesEveryWindow) {
  writeText(home_ / "LANGUAGE" / "Deutsch.lng",
            "STR0001 = Schritt 1\nSTR0015 = Neue Konfiguration\nSTR0011 = Offen: \nSTR0100 = Neu\n"
            "STR0202 = Liste\nSTR0203 = Jawohl");
  fs::create_directories(home_ / "PROJECTS" / "Line");
  writeText(home_ / "Konfex.xml", "<C><lastproj><projectname>Line</projectname></lastproj></C>");
  MainWindow& w = start();
  state_->settings().language = loadLanguage(texts_, state_->folders().language, "Deutsch");
  w.changeLanguage();
  EXPECT_EQ(labelText(&w, "L_Step_1"), "Schritt 1");
  EXPECT_EQ(find<QPushButton>(&w, "Btn_New")->text(), "Neue Konfiguration");
  EXPECT_EQ(labelText(&w, "L_Name_Conf"), "Offen:");
  EXPECT_EQ(labelText(&w, "L_Name_Conf_L2"), "Line");
  EXPECT_EQ(w.newProjectDialog().windowTitle(), "Neu");
  EXPECT_EQ(labelText(&w.openConfDialog(), "Label1"), "Liste");
  EXPECT_EQ(find<QPushButton>(&w.openConfDialog(), "Btn_OK")->text(), "Jawohl");
}

TEST_F(MainWindowTest, TheMakerLabelOpensTheMakersPage) {
  MainWindow& w = start();
  QTest::mouseClick(find(&w, "L_Veltrona"), Qt::LeftButton);
  EXPECT_EQ(browser_.opened, std::vector<std::string>{"http://maker.test/HOME/default.asp?frompg=QS40213"});
}

TEST_F(MainWindowTest, WaitingForAProgramRepaintsButTakesNoInput) {
  MainWindow& w = start();
  w.show();
  bool timerRan = false;
  QTimer::singleShot(0, [&] { timerRan = true; });
  int polls = 0;
  launcher_.onPoll = [&] {
    if (++polls == 3) QTest::mouseClick(find(&w, "Btn_Close"), Qt::LeftButton);
    return polls == 5;
  };
  EXPECT_EQ(w.startProgram("/opt/Ethernet_Update.exe", "", false), StartOutcome::Exited);
  EXPECT_TRUE(timerRan) << "events other than input are processed while waiting";
  EXPECT_TRUE(w.isVisible()) << "the click on Close was swallowed";
  click(&w, "Btn_Close");
  EXPECT_FALSE(w.isVisible()) << "input works again after the wait";
}

}  // namespace
}  // namespace konfex::test

#include <QCheckBox>
#include <QImage>
#include <QPixmap>
#include <QTabWidget>
#include <QTest>

#include "core/app/settings.h"
#include "core/io/text.h"
#include "gui/app/options_dialog.h"
#include "gui/store/new_project_dialog.h"
#include "gui_fixture.h"

#ifndef KONFEX_LANGUAGE_DIR
#error "KONFEX_LANGUAGE_DIR must name the built LANGUAGE folder"
#endif

namespace konfex::test {
namespace {

namespace fs = std::filesystem;

class OptionsDialogTest : public GuiTest {
 protected:
  fs::path language() const { return home_ / "LANGUAGE"; }

  void writeLanguages(std::initializer_list<const char*> names) {
    fs::remove_all(language());
    fs::create_directory(language());
    for (const char* name : names) writeText(language() / (std::string(name) + ".lng"), "STR0000 = x\n");
  }
  void writeFlag(const std::string& name, QColor colour) {
    QImage image(48, 48, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(toQ(utf8String(language() / (name + ".bmp"))), "BMP"));
  }

  SoftOptionsDialog& showOptions() {
    SoftOptionsDialog& d = window_->softOptionsDialog();
    d.show();
    return d;
  }
  bool shown(QWidget* d, const char* name) { return find(d, name)->isVisibleTo(d); }
  QString slotName(QWidget* d, int k) { return labelText(d, ("L_L" + std::to_string(k)).c_str()); }
  QColor flagColour(QWidget* d, int k) {
    const QPixmap pm = find<QLabel>(d, ("I_L" + std::to_string(k)).c_str())->pixmap();
    return pm.isNull() ? QColor() : pm.toImage().pixelColor(24, 24);
  }
  std::vector<bool> slotsShown(QWidget* d) {
    std::vector<bool> out;
    for (int k = 1; k <= 6; ++k) out.push_back(shown(d, ("L_L" + std::to_string(k)).c_str()));
    return out;
  }
  void clickSlot(QWidget* d, int k) { QTest::mouseClick(find(d, ("L_L" + std::to_string(k)).c_str()), Qt::LeftButton); }
};

TEST_F(OptionsDialogTest, ShowsThreePagesWithTheirTexts) {
  start();
  SoftOptionsDialog& d = showOptions();
  EXPECT_EQ(d.windowTitle(), "Software Options");
  EXPECT_EQ(labelText(&d, "L_SW_Desc"), "Software Options");
  auto* pages = find<QTabWidget>(&d, "PC_Options");
  ASSERT_EQ(pages->count(), 3);
  EXPECT_EQ(pages->widget(0)->objectName(), "TS_Language");
  EXPECT_EQ(pages->widget(1)->objectName(), "TS_Con_Options");
  EXPECT_EQ(pages->widget(2)->objectName(), "TS_Soft_Settings");
  EXPECT_EQ(pages->tabText(0), "Language");
  EXPECT_EQ(pages->tabText(1), "Connection Options");
  EXPECT_EQ(pages->tabText(2), "Software Settings");
  EXPECT_EQ(pages->currentIndex(), 0);
  EXPECT_EQ(labelText(&d, "L_Sel_Lang"), "Selected Language : English");
  EXPECT_EQ(find<QCheckBox>(&d, "CB_En_Con")->text(), "Enable Internet Connection");
  EXPECT_EQ(find<QCheckBox>(&d, "CB_Update")->text(), "Check Software Update at Start of Program");
  EXPECT_EQ(find<QPushButton>(&d, "Btn_Check_Update")->text(), "Check Available Update");
  EXPECT_EQ(find<QCheckBox>(&d, "CB_Soft_Set_Jump_Table")->text(),
            "Jump into next field in the tables by pressing the Enter Key");
  EXPECT_EQ(find<QCheckBox>(&d, "CB_DoubleClick_Auto_Size")->text(),
            "Enable Auto Size of Table Columns by Double Click");
  EXPECT_GT(find(&d, "CB_Update")->x(), find(&d, "CB_En_Con")->x()) << "indented under CB_En_Con";
  EXPECT_FALSE(shown(&d, "LL_Check_Update"));
  d.close();
}

TEST_F(OptionsDialogTest, PagesTheLanguagesSixAtATime) {
  start();
  writeLanguages({});
  SoftOptionsDialog& d = showOptions();
  EXPECT_EQ(labelText(&d, "L_Page_Lang"), "Page 1 / 0");
  EXPECT_EQ(slotsShown(&d), std::vector<bool>(6, false));
  EXPECT_FALSE(shown(&d, "Btn_Prev"));
  EXPECT_TRUE(shown(&d, "Btn_Next"));
  click(&d, "Btn_Next");
  EXPECT_EQ(labelText(&d, "L_Page_Lang"), "Page 1 / 0") << "Next leads nowhere";
  d.close();

  writeLanguages({"f", "B", "d", "a", "E", "c"});
  showOptions();
  EXPECT_EQ(labelText(&d, "L_Page_Lang"), "Page 1 / 1");
  EXPECT_EQ(slotsShown(&d), std::vector<bool>(6, true));
  EXPECT_FALSE(shown(&d, "Btn_Prev"));
  EXPECT_FALSE(shown(&d, "Btn_Next"));
  std::vector<QString> names;
  for (int k = 1; k <= 6; ++k) names.push_back(slotName(&d, k));
  EXPECT_EQ(names, (std::vector<QString>{"a", "B", "c", "d", "E", "f"})) << "sorted without regard to case";
  EXPECT_LT(find(&d, "L_L1")->x(), find(&d, "L_L4")->x()) << "slots 4 to 6 form the right column";
  EXPECT_EQ(find(&d, "L_L1")->y(), find(&d, "L_L4")->y());
  EXPECT_LT(find(&d, "L_L1")->y(), find(&d, "L_L2")->y());
  d.close();

  writeLanguages({"f", "B", "d", "a", "E", "c", "g"});
  showOptions();
  EXPECT_EQ(labelText(&d, "L_Page_Lang"), "Page 1 / 2");
  EXPECT_FALSE(shown(&d, "Btn_Prev"));
  EXPECT_TRUE(shown(&d, "Btn_Next"));
  click(&d, "Btn_Next");
  EXPECT_EQ(labelText(&d, "L_Page_Lang"), "Page 2 / 2");
  EXPECT_EQ(slotsShown(&d), (std::vector<bool>{true, false, false, false, false, false}));
  EXPECT_EQ(slotName(&d, 1), "g");
  EXPECT_TRUE(shown(&d, "Btn_Prev"));
  EXPECT_FALSE(shown(&d, "Btn_Next"));
  click(&d, "Btn_Prev");
  EXPECT_EQ(labelText(&d, "L_Page_Lang"), "Page 1 / 2");
  click(&d, "Btn_Next");
  d.close();
  showOptions();
  EXPECT_EQ(labelText(&d, "L_Page_Lang"), "Page 1 / 2") << "every opening starts on page 1";
  d.close();
}

TEST_F(OptionsDialogTest, FlagsFallBackToTheDefaultFlagThenToNone) {
  start();
  writeLanguages({"Deutsch", "Klingon", "Broken"});
  writeFlag("Deutsch", Qt::red);
  writeFlag("DefaultFlag", Qt::blue);
  writeText(language() / "Broken.bmp", "not a picture");
  writeText(language() / "Locked.lng", "STR0000 = x\n");
  fs::permissions(language() / "Locked.lng", fs::perms::owner_write, fs::perm_options::remove);
  SoftOptionsDialog& d = showOptions();
  ASSERT_EQ(slotsShown(&d), (std::vector<bool>{true, true, true, false, false, false})) << "read-only is left out";
  EXPECT_EQ(slotName(&d, 1), "Broken");
  EXPECT_FALSE(shown(&d, "I_L1")) << "a picture that cannot be read leaves the name alone";
  EXPECT_EQ(slotName(&d, 2), "Deutsch");
  EXPECT_EQ(flagColour(&d, 2), QColor(Qt::red));
  EXPECT_EQ(slotName(&d, 3), "Klingon");
  EXPECT_EQ(flagColour(&d, 3), QColor(Qt::blue));
  d.close();

  fs::remove(language() / "DefaultFlag.bmp");
  showOptions();
  EXPECT_FALSE(shown(&d, "I_L3"));
  EXPECT_TRUE(shown(&d, "L_L3"));
  EXPECT_TRUE(shown(&d, "I_L2"));
  d.close();
}

TEST_F(OptionsDialogTest, AConfirmedLanguageReachesEveryWindowButIsStoredOnlyOnOk) {
  start();
  writeLanguages({"English"});
  writeText(language() / "Deutsch.lng",
            "STR0001 = Schritt 1\nSTR0300 = Optionen\nSTR0304 = \xC2\xB6Sprache: \xC2\xB6\nSTR0305 = \xC2\xB6Seite "
            "\xC2\xB6\nSTR0100 = Neu\n");
  SoftOptionsDialog& d = showOptions();
  ASSERT_EQ(slotName(&d, 1), "Deutsch");
  messages_.answers = {false};
  clickSlot(&d, 1);
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Do you want to change the Language from English to Deutsch?"});
  EXPECT_EQ(labelText(window_.get(), "L_Step_1"), "Step 1") << "No changes nothing";

  messages_.answers = {true};
  QTest::mouseClick(find(&d, "I_L1"), Qt::LeftButton);  // the picture is a slot control as well
  EXPECT_EQ(labelText(window_.get(), "L_Step_1"), "Schritt 1");
  EXPECT_EQ(window_->newProjectDialog().windowTitle(), "Neu");
  EXPECT_EQ(d.windowTitle(), "Optionen");
  EXPECT_EQ(labelText(&d, "L_Sel_Lang"), "Sprache: Deutsch");
  EXPECT_EQ(labelText(&d, "L_Page_Lang"), "Seite 1 / 1");
  EXPECT_EQ(state_->settings().language, "English") << "stored only on OK";

  messages_.answers = {true};
  clickSlot(&d, 1);
  EXPECT_EQ(shownTexts().back(), "Do you want to change the Language from Deutsch to Deutsch?")
      << "asked also for the language in use";
  d.close();
}

TEST_F(OptionsDialogTest, CancelKeepsTheSettingsAndOkStoresAndSavesThem) {
  start();
  writeText(language() / "Deutsch.lng", "STR0001 = Schritt 1\n");
  const auto chooseDeutsch = [&](QWidget* d) {
    messages_.answers = {true};
    clickSlot(d, 1);
    find<QCheckBox>(d, "CB_En_Con")->setChecked(true);
    find<QCheckBox>(d, "CB_Update")->setChecked(true);
    find<QCheckBox>(d, "CB_Soft_Set_Jump_Table")->setChecked(true);
  };
  whileModal([&] { click(window_.get(), "Btn_Opz"); },
             [&](QWidget* d) {
               chooseDeutsch(d);
               click(d, "Btn_Cancel");
             });
  EXPECT_EQ(state_->settings(), Settings{});
  EXPECT_FALSE(fs::exists(home_ / "Konfex.xml")) << "nothing saved";
  EXPECT_FALSE(find<QTimer>(window_.get(), "Timer_Update")->isActive());
  EXPECT_EQ(labelText(window_.get(), "L_Step_1"), "Schritt 1") << "the confirmed texts stay on screen";

  whileModal([&] { click(window_.get(), "Btn_Opz"); },
             [&](QWidget* d) {
               EXPECT_FALSE(find<QCheckBox>(d, "CB_En_Con")->isChecked()) << "taken from the state again";
               EXPECT_EQ(labelText(d, "L_Sel_Lang"), "Selected Language : English");
               chooseDeutsch(d);
               click(d, "Btn_OK");
             });
  Settings expected;
  expected.language = "Deutsch";
  expected.enableInternet = true;
  expected.enableUpdate = true;
  expected.enableJumpFieldTables = true;
  EXPECT_EQ(state_->settings(), expected);
  EXPECT_EQ(readSettings(home_ / "Konfex.xml"), expected);
  EXPECT_TRUE(find<QTimer>(window_.get(), "Timer_Update")->isActive());

  MainWindow& restarted = start();
  EXPECT_EQ(labelText(&restarted, "L_Step_1"), "Schritt 1");
  EXPECT_TRUE(find<QTimer>(&restarted, "Timer_Update")->isActive());
}

TEST_F(OptionsDialogTest, TheUpdateBoxAndCheckButtonFollowTheConnectionBox) {
  writeText(home_ / "Konfex.xml",
            "<Conf_Settings><lastinternet><enable_internet>1</enable_internet><enable_update>1</enable_update>"
            "<Double_Click_Auto_Size>1</Double_Click_Auto_Size></lastinternet></Conf_Settings>");
  start();
  EXPECT_TRUE(find<QTimer>(window_.get(), "Timer_Update")->isActive());
  whileModal([&] { click(window_.get(), "Btn_Opz"); },
             [&](QWidget* d) {
               auto* internet = find<QCheckBox>(d, "CB_En_Con");
               auto* update = find<QCheckBox>(d, "CB_Update");
               auto* check = find<QPushButton>(d, "Btn_Check_Update");
               EXPECT_TRUE(internet->isChecked());
               EXPECT_TRUE(update->isChecked());
               EXPECT_TRUE(find<QCheckBox>(d, "CB_DoubleClick_Auto_Size")->isChecked());
               EXPECT_TRUE(update->isEnabled());
               EXPECT_TRUE(check->isEnabled());
               update->setChecked(false);
               EXPECT_FALSE(check->isEnabled());
               update->setChecked(true);
               internet->setChecked(false);
               EXPECT_FALSE(update->isEnabled());
               EXPECT_TRUE(update->isChecked()) << "keeps its state while disabled";
               EXPECT_FALSE(check->isEnabled());
               click(d, "Btn_OK");
             });
  EXPECT_FALSE(state_->settings().enableInternet);
  EXPECT_TRUE(state_->settings().enableUpdate) << "as the disabled box still shows it";
  EXPECT_FALSE(find<QTimer>(window_.get(), "Timer_Update")->isActive());
}

TEST_F(OptionsDialogTest, TheCheckButtonAsksAtOnceAndShowsTheAnswer) {
  start();
  SoftOptionsDialog& d = showOptions();
  find<QTabWidget>(&d, "PC_Options")->setCurrentIndex(1);
  find<QCheckBox>(&d, "CB_En_Con")->setChecked(true);
  find<QCheckBox>(&d, "CB_Update")->setChecked(true);
  auto* result = find<QLabel>(&d, "LL_Check_Update");

  http_.answer = {200, "VER. 1.001"};
  click(&d, "Btn_Check_Update");
  EXPECT_FALSE(find(&d, "Btn_Check_Update")->isEnabled()) << "no second request while one runs";
  ASSERT_TRUE(QTest::qWaitFor([&] { return result->isVisibleTo(&d); }, 2000));
  ASSERT_EQ(http_.requests.size(), 1u);
  EXPECT_EQ(http_.requests[0].url, "http://maker.test/home/download/GetversionSW.asp?nomesw=QS40213");
  EXPECT_EQ(result->text(),
            "<a href=\"http://maker.test/Home/download/download.asp#QD40213\">New Version Available. Click Here for "
            "more Details</a>");
  EXPECT_TRUE(find(&d, "Btn_Check_Update")->isEnabled());
  emit result->linkActivated(QStringLiteral("http://maker.test/Home/download/download.asp#QD40213"));
  EXPECT_EQ(browser_.opened, std::vector<std::string>{"http://maker.test/Home/download/download.asp#QD40213"});

  http_.answer = {404, ""};
  click(&d, "Btn_Check_Update");
  ASSERT_TRUE(QTest::qWaitFor([&] { return result->text() == "No Update Available"; }, 2000));
  EXPECT_EQ(result->textFormat(), Qt::PlainText);
  EXPECT_TRUE(messages_.shown.empty()) << "failures are silent";
  d.close();
  showOptions();
  EXPECT_FALSE(result->isVisibleTo(&d)) << "hidden again at the next opening";
  d.close();
}

TEST_F(OptionsDialogTest, TheShippedLanguagesAreOfferedWithTheirFlags) {
  fs::create_directory(language());
  for (const auto& entry : fs::directory_iterator(utf8Path(KONFEX_LANGUAGE_DIR)))
    fs::copy_file(entry.path(), home_ / "LANGUAGE" / entry.path().filename());
  start();
  SoftOptionsDialog& d = showOptions();
  std::vector<QString> names;
  for (int k = 1; k <= 5; ++k) {
    names.push_back(slotName(&d, k));
    EXPECT_TRUE(flagColour(&d, k).isValid()) << k;
  }
  EXPECT_EQ(names, (std::vector<QString>{"Deutsch", "English", "Español", "Français", "Italiano"}));
  EXPECT_FALSE(shown(&d, "L_L6"));
  messages_.answers = {true};
  clickSlot(&d, 4);
  EXPECT_EQ(labelText(window_.get(), "L_Step_1"), "Étape 1");
  EXPECT_EQ(labelText(&d, "L_Sel_Lang"), "Langue sélectionnée : Français");
  d.close();
}

}  // namespace
}  // namespace konfex::test

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "gui/store/new_project_dialog.h"
#include "gui/store/open_conf_dialog.h"
#include "gui_fixture.h"

namespace konfex::test {
namespace {

namespace fs = std::filesystem;

using NewProjectDialogTest = GuiTest;
using OpenConfDialogTest = GuiTest;

TEST_F(NewProjectDialogTest, RefusesBadNamesAndStaysOpen) {
  start();
  fs::create_directories(home_ / "PROJECTS" / "Existing");
  NewProjectDialog& d = window_->newProjectDialog();
  EXPECT_EQ(d.size(), QSize(331, 162));
  EXPECT_EQ(labelText(&d, "Label1"), "Name of the new Configuration");
  d.show();
  auto* edit = find<QLineEdit>(&d, "E_New_Proj");
  EXPECT_EQ(edit->geometry().topLeft(), QPoint(16, 94));
  EXPECT_EQ(edit->width(), 297);
  for (const char* name : {"", "Existing", ".", "..", "a/b", "a\\b"}) {
    edit->setText(QString::fromUtf8(name));
    click(&d, "Btn_OK");
    EXPECT_TRUE(d.isVisible()) << name;
    EXPECT_EQ(edit->text(), QString::fromUtf8(name)) << "the typed name stays for correction";
  }
  EXPECT_EQ(shownTexts(),
            (std::vector<std::string>{"Error! Name Project is not valid",
                                      "Error! Name project is not valid because directory already exists",
                                      "Error! Name project is not valid", "Error! Name project is not valid",
                                      "Error! Name project is not valid", "Error! Name project is not valid"}));
  EXPECT_FALSE(state_->hasActiveConfiguration());
  d.close();
}

TEST_F(NewProjectDialogTest, EnterInTheNameFieldCreates) {
  start();
  NewProjectDialog& d = window_->newProjectDialog();
  d.show();
  auto* edit = find<QLineEdit>(&d, "E_New_Proj");
  EXPECT_TRUE(edit->text().isEmpty());
  QTest::keyClicks(edit, "Plant");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(state_->activeName(), "Plant");
  EXPECT_EQ(state_->projectPaths().parGen, home_ / "PROJECTS" / "Plant" / "ParGen.xml");
  d.show();
  EXPECT_TRUE(edit->text().isEmpty()) << "every showing starts empty";
  d.close();
}

TEST_F(OpenConfDialogTest, ListsSortedAndPreselectsTheActiveConfiguration) {
  for (const char* name : {"gamma", "Beta", "alpha", ".hidden"}) fs::create_directories(home_ / "PROJECTS" / name);
  writeText(home_ / "PROJECTS" / "file.txt", "");
  writeText(home_ / "Konfex.xml", "<C><lastproj><projectname>beta</projectname></lastproj></C>");
  fs::rename(home_ / "PROJECTS" / "Beta", home_ / "PROJECTS" / "beta");
  start();
  fs::rename(home_ / "PROJECTS" / "beta", home_ / "PROJECTS" / "BETA");  // letter case changed since
  OpenConfDialog& d = window_->openConfDialog();
  EXPECT_EQ(d.size(), QSize(377, 351));
  d.show();
  auto* list = find<QListWidget>(&d, "ListBox1");
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  EXPECT_EQ(items, (QStringList{"alpha", "BETA", "gamma"}));
  EXPECT_EQ(d.chosenName(), "BETA");
  list->setCurrentRow(2);
  EXPECT_EQ(d.chosenName(), "gamma");
  d.close();
}

TEST_F(OpenConfDialogTest, OkOnAnEmptyListLeavesNoConfigurationActive) {
  fs::create_directories(home_ / "PROJECTS" / "Line");
  writeText(home_ / "Konfex.xml", "<C><lastproj><projectname>Line</projectname></lastproj></C>");
  MainWindow& w = start();
  fs::remove_all(home_ / "PROJECTS" / "Line");
  whileModal([&] { click(&w, "Btn_Open"); }, [&](QWidget* dialog) { click(dialog, "Btn_OK"); });
  EXPECT_FALSE(state_->hasActiveConfiguration());
  EXPECT_EQ(labelText(&w, "L_Name_Conf"), "None Configuration Opened ");
  EXPECT_EQ(labelText(&w, "L_Name_Conf_L2"), "Use Step1 to open or create new configuration");
}

}  // namespace
}  // namespace konfex::test

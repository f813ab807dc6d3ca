#include "gui/editors/eds_dialog.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "gui_fixture.h"

namespace konfex::test {
namespace {

namespace fs = std::filesystem;

using EdsDialogTest = GuiTest;
using SettingsAtStartTest = GuiTest;

const fs::path kAdapter = fs::path(KONFEX_TEST_DATA) / "eds" / "adapter.eds";

QStringList rowTexts(QTableView* grid, int row, int role = Qt::DisplayRole) {
  QStringList texts;
  for (int c = 0; c < grid->model()->columnCount(); ++c) texts << grid->model()->index(row, c).data(role).toString();
  return texts;
}

TEST_F(EdsDialogTest, ListsTheConnectionsAndReturnsTheChosenRow) {
  start();
  EdsDialog& d = window_->edsDialog();
  EXPECT_EQ(d.size(), QSize(1150, 337));
  EXPECT_EQ(d.windowTitle(), "EtherNet/IP EDS Decode - Select the Connection to use");
  EXPECT_EQ(labelText(&d, "L_SW_Code"), "QS40213");
  EXPECT_EQ(labelText(&d, "L_SW_Desc"), "Select the Connection To use");
  EXPECT_EQ(find<QPushButton>(&d, "Btn_OK")->toolTip(), "Confirm the Connection to use with the EtherNet/IP Device");
  EXPECT_EQ(find<QPushButton>(&d, "Btn_Cancel")->text(), "Cancel");

  d.setFileName(kAdapter);
  whileModal([&] { EXPECT_EQ(d.exec(), QDialog::Accepted); },
             [&](QWidget* modal) {
               ASSERT_EQ(modal, &d);
               auto* grid = find<QTableView>(&d, "ACG");
               ASSERT_EQ(grid->model()->rowCount(), 3);
               EXPECT_EQ(rowTexts(grid, 0), (QStringList{"Connection1", "\"Exclusive Owner\"", "\"\"", "1", "150", "1",
                                                         "100", "Default", "Default"}));
               EXPECT_EQ(rowTexts(grid, 1), (QStringList{"Connection2", "", "", "1", "151", "1", "101", "7", "7"}));
               EXPECT_EQ(rowTexts(grid, 2, Qt::ToolTipRole), rowTexts(grid, 2)) << "each cell's hint is its text";
               QStringList headers;
               for (int c = 0; c < 9; ++c) {
                 headers << grid->model()->headerData(c, Qt::Horizontal).toString();
                 EXPECT_FALSE(grid->model()->headerData(c, Qt::Horizontal, Qt::ToolTipRole).isValid());
               }
               EXPECT_EQ(headers, (QStringList{"Connection", "Connection Name", "Help String", "Instance O > T",
                                               "Conn. Point O > T", "Instance T > O", "Conn. Point T > O",
                                               "Dim Header O > T", "Dim Header T > O"}));
               EXPECT_FALSE(grid->verticalHeader()->isVisible()) << "no fixed column";
               EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, 1)) & Qt::ItemIsEditable);
               EXPECT_EQ(grid->selectionModel()->selectedRows().size(), 1);
               EXPECT_EQ(grid->selectionModel()->selectedRows().front().row(), 0) << "row 1 is selected";
               // A click on a cell selects its whole row.
               const QRect cell = grid->visualRect(grid->model()->index(2, 4));
               QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
               EXPECT_EQ(grid->selectionModel()->selectedRows().front().row(), 2);
               EXPECT_EQ(grid->selectionModel()->selectedIndexes().size(), 9);
               click(&d, "Btn_OK");
             });
  EXPECT_EQ(d.selectedTexts(), (std::array<std::string, 9>{"Connection3", "\"Input Only\"", "\"T>O header 3\"", "5",
                                                           "100", "6", "102", "Default", "3"}));
  EXPECT_TRUE(shownTexts().empty());

  // The next showing decodes again and starts at row 1; Cancel closes with Cancel.
  whileModal([&] { EXPECT_EQ(d.exec(), QDialog::Rejected); },
             [&](QWidget*) {
               EXPECT_EQ(find<QTableView>(&d, "ACG")->selectionModel()->selectedRows().front().row(), 0);
               click(&d, "Btn_Cancel");
             });
  EXPECT_EQ(d.connections().size(), 3u);
}

TEST_F(EdsDialogTest, NothingUsableShowsTheErrorOnceVisibleAndCancels) {
  start();
  EdsDialog& d = window_->edsDialog();
  writeText(home_ / "empty.eds", "[Connection Manager]\nConnection1 = 0x1,0x2,\"20 04 24 01\";\n");
  for (const fs::path& file : {home_ / "empty.eds", home_ / "missing.eds"}) {
    messages_.shown.clear();
    d.setFileName(file);
    bool visibleWithOneEmptyRow = false;
    QTimer::singleShot(0, [&] {
      auto* grid = find<QTableView>(&d, "ACG");
      visibleWithOneEmptyRow = d.isVisible() && messages_.shown.empty() && grid->model()->rowCount() == 1 &&
                               rowTexts(grid, 0).join("").isEmpty();
    });
    EXPECT_EQ(d.exec(), QDialog::Rejected) << file;
    EXPECT_TRUE(visibleWithOneEmptyRow) << file;
    EXPECT_EQ(shownTexts(), std::vector<std::string>{"Error!! No Valid Connection found"}) << file;
    EXPECT_EQ(d.selectedTexts(), (std::array<std::string, 9>{})) << file;
  }
}

TEST_F(EdsDialogTest, TakesItsTextsAgainWhenTheLanguageChanges) {
  start();
  texts_.set(2300, "EDS-Auswahl");
  texts_.set(2306, "Verbindung");
  window_->changeLanguage();
  EdsDialog& d = window_->edsDialog();
  EXPECT_EQ(d.windowTitle(), "EDS-Auswahl");
  EXPECT_EQ(find<QTableView>(&d, "ACG")->model()->headerData(0, Qt::Horizontal).toString(), "Verbindung");
}

TEST_F(SettingsAtStartTest, ADamagedFileIsReportedAndKeptByTheFirstSave) {
  writeText(home_ / "Konfex.xml", "<Conf_Settings><lastproj>");
  start();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].kind, 'E');
  EXPECT_NE(messages_.shown[0].text.find("Konfex.xml is damaged and was not read: not well-formed XML"),
            std::string::npos)
      << messages_.shown[0].text;
  EXPECT_NE(messages_.shown[0].text.find("line 1, column 25"), std::string::npos) << messages_.shown[0].text;
  window_->close();
  EXPECT_EQ(readText(home_ / "Konfex.xml.bak"), "<Conf_Settings><lastproj>");
  EXPECT_EQ(readSettings(home_ / "Konfex.xml"), Settings{});
}

}  // namespace
}  // namespace konfex::test

#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>

#include "core/io/text.h"
#include "editors_fixture.h"
#include "gui/editors/can_frames_dialog.h"
#include "gui/editors/connections_dialog.h"

namespace konfex::test {
namespace {

namespace fs = std::filesystem;

enum class Table { Connections, Receive, Send };

class TableDialogsTest : public EditorsTest {
 protected:
  TableDialog& dialog(Table table) {
    switch (table) {
      case Table::Connections: return window_->connectionsDialog();
      case Table::Receive: return window_->receiveFramesDialog();
      case Table::Send: return window_->sendFramesDialog();
    }
    return window_->connectionsDialog();
  }
  fs::path file(Table table) const {
    switch (table) {
      case Table::Connections: return project() / "EtherNetIP_Master_Rules.xml";
      case Table::Receive: return project() / "CAN_Rec_Frames.xml";
      case Table::Send: return project() / "CAN_Send_Frames.xml";
    }
    return {};
  }
  static void setCell(GridView& view, int row, int col, const QString& text) {
    ASSERT_TRUE(view.model()->setData(view.model()->index(row - 1, col), text));
  }
  static void setCurrent(GridView& view, int row, int col) { view.setCurrentIndex(view.model()->index(row - 1, col)); }
  static std::pair<int, int> current(GridView& view) {
    return {view.currentIndex().row() + 1, view.currentIndex().column()};
  }
  // A connection that passes validation.
  static void fillConnection(GridView& view, int row, const QString& ip) {
    const QStringList texts = {"Y", ip, "0", "8", "0", "8", "100", "1", "100", "1", "101", "Default", "Default", "x"};
    for (int c = 1; c <= 14; ++c) setCell(view, row, c, texts[c - 1]);
  }
  // The list editor of the cell being edited: the focus is on it or on its line edit.
  static QComboBox* editedCombo() {
    QWidget* focus = QApplication::focusWidget();
    if (auto* combo = qobject_cast<QComboBox*>(focus)) return combo;
    return focus != nullptr ? qobject_cast<QComboBox*>(focus->parentWidget()) : nullptr;
  }
  // The toolkit ends an edit with Enter after the editor has seen the key, from the event loop.
  static void key(QWidget* target, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(target, k, modifiers);
    QApplication::processEvents();
  }
};

TEST_F(TableDialogsTest, LaidOutAsTheProductHasIt) {
  struct Layout {
    Table table;
    const char* name;
    const char* grid;
    QSize size;
    const char* caption;
    int rows;
    int columns;
    int hidden;  // -1: none
    QStringList firstHeaders;
    const char* firstHint;  // header hint of column 1
    const char* lastHint;   // header hint of the last column
    bool ownTextHints;      // data cells show their own text as hint
    bool extraImportButton;
  };
  const Layout layouts[] = {
      {Table::Connections,
       "TFEtherNetIP_Master_Access",
       "ACG",
       {1180, 337},
       "Set EtherNet/IP Slaves Access",
       10,
       15,
       -1,
       {"N", "Enable", "IP Address", "Start Input"},
       "Enable or Disable the Row",
       "Description of Slave EtherNet/IP",
       true,
       true},
      {Table::Receive,
       "TFReceiveCAN",
       "ACG_CAN_Receive",
       {1010, 337},
       "Receive CAN Frames Set Access",
       512,
       15,
       -1,
       {"N", "Enable", "CobID", "Type"},
       "Enable or Disable the Rule for CAN Receive",
       "Insert a description of the CAN Frame",
       false,
       false},
      {Table::Send,
       "TFTransmitCAN",
       "ACG_CAN_Transmit",
       {1100, 337},
       "Transmit CAN Frames Set Access",
       512,
       18,
       6,
       {"N", "Enable", "CobID", "Type"},
       "Enable or Disable the Rule for CAN Transmit",
       "Insert a description of the CAN Frame",
       false,
       false},
  };
  startWithConfiguration();
  for (const Layout& l : layouts) {
    TableDialog& d = dialog(l.table);
    SCOPED_TRACE(l.name);
    EXPECT_EQ(d.objectName(), l.name);
    EXPECT_EQ(d.size(), l.size);
    EXPECT_EQ(d.windowTitle(), l.caption);
    EXPECT_EQ(labelText(&d, "L_SW_Code"), "QS40213");
    EXPECT_EQ(labelText(&d, "L_SW_Desc"), l.caption);
    showActive(&d);
    auto* view = find<GridView>(&d, l.grid);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view, &d.gridView());
    EXPECT_EQ(view->model()->rowCount(), l.rows);
    EXPECT_EQ(view->model()->columnCount(), l.columns);
    for (int c = 0; c < l.columns; ++c) EXPECT_EQ(view->isColumnHidden(c), c == l.hidden) << c;
    QHeaderView* header = view->horizontalHeader();
    EXPECT_TRUE(header->isVisible());
    EXPECT_FALSE(view->verticalHeader()->isVisible());
    for (int c = 0; c < l.firstHeaders.size(); ++c)
      EXPECT_EQ(view->model()->headerData(c, Qt::Horizontal).toString(), l.firstHeaders[c]);
    EXPECT_EQ(view->model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(), l.firstHint);
    EXPECT_EQ(view->model()->headerData(l.columns - 1, Qt::Horizontal, Qt::ToolTipRole).toString(), l.lastHint);
    EXPECT_EQ(view->model()->headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid(), l.ownTextHints);
    setCell(*view, 1, 2, "42");
    EXPECT_EQ(cell(view, 1, 2, Qt::ToolTipRole), l.ownTextHints ? "42" : "");
    EXPECT_EQ(cell(view, 3, 0, Qt::DisplayRole), "3");
    EXPECT_FALSE(view->model()->flags(view->model()->index(0, 0)) & Qt::ItemIsEditable);

    std::vector<const char*> buttons = {"Btn_OK",     "Btn_Cancel",  "Btn_DelRow",
                                        "Btn_InsRow", "Btn_CopyRow", "Btn_PasteRow"};
    QStringList captions = {"OK", "Cancel", "Delete Row", "Insert Row", "Copy Row", "Paste Row"};
    if (l.extraImportButton) {
      buttons.push_back("Btn_Import_EDS");
      captions << "Import EDS";
    }
    int left = -1;
    for (size_t i = 0; i < buttons.size(); ++i) {
      auto* b = find<QPushButton>(&d, buttons[i]);
      EXPECT_EQ(b->text(), captions[static_cast<qsizetype>(i)]);
      EXPECT_FALSE(b->toolTip().isEmpty()) << buttons[i];
      EXPECT_GT(b->x(), left) << buttons[i] << " stands right of the one before";
      left = b->x();
    }
    EXPECT_GT(view->y(), find(&d, "P_Title")->geometry().bottom());
    EXPECT_LT(view->geometry().bottom(), find(&d, "P_Button")->y());
    if (l.table != Table::Connections) {
      EXPECT_EQ(QApplication::focusWidget(), view) << "the grid has the focus";
    }
    d.close();
  }
  EXPECT_EQ(find<QPushButton>(&dialog(Table::Connections), "Btn_Import_EDS")->toolTip(),
            "Import a slave EtherNet/IP from EDS File");
  auto& send = dialog(Table::Send).gridView();
  EXPECT_EQ(send.model()->headerData(8, Qt::Horizontal, Qt::ToolTipRole).toString(),
            "Insert the Time in milliseconds between the sending of CAN frames, only if checked the OnTimer Option");
  EXPECT_EQ(send.model()->headerData(7, Qt::Horizontal, Qt::ToolTipRole).toString(),
            "Enable or Disable the possibility to send the CAN Frame on Timer");
}

TEST_F(TableDialogsTest, EachShowingStartsFromFreshRowsAndTheFile) {
  startWithConfiguration();
  writeText(file(Table::Connections),
            "<EtherNetIP_Master_Access><row IP_Address=\"192.168.0.20\" Mnemonic=\"\"/></EtherNetIP_Master_Access>");
  std::string tx = "<Transmit_Frames>";
  for (int i = 0; i < 600; ++i) tx += "<row COBID=\"" + std::to_string(i) + "\" OnCMD=\"Y\" OnTimer=\"Y\"/>";
  writeText(file(Table::Send), tx + "</Transmit_Frames>");

  TableDialog& eth = dialog(Table::Connections);
  eth.show();
  GridView* v = &eth.gridView();
  EXPECT_EQ(cell(v, 1, 1), "N") << "a connection without Enable is disabled";
  EXPECT_EQ(v->model()->index(0, 1).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
  EXPECT_EQ(cell(v, 1, 2), "192.168.0.20");
  EXPECT_EQ(cell(v, 1, 13), "Default");
  EXPECT_EQ(cell(v, 2, 1), "Y") << "fresh rows";
  EXPECT_EQ(v->model()->index(1, 1).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
  EXPECT_EQ(cell(v, 2, 13), "");
  setCell(*v, 2, 2, "typed");
  click(&eth, "Btn_Cancel");
  eth.show();
  EXPECT_EQ(cell(v, 2, 2), "") << "what Cancel discarded stays discarded";
  eth.close();

  TableDialog& send = dialog(Table::Send);
  send.show();
  v = &send.gridView();
  EXPECT_EQ(cell(v, 1, 3), "2.0A (11 bits)");
  EXPECT_EQ(cell(v, 1, 5), "Y");
  EXPECT_EQ(cell(v, 1, 6), "N") << "OnCMD is never read";
  EXPECT_EQ(cell(v, 1, 8), "0");
  EXPECT_EQ(cell(v, 512, 2), "511") << "rows beyond 512 are ignored";
  send.close();
}

TEST_F(TableDialogsTest, OkValidatesThenWritesAndCloses) {
  struct Case {
    Table table;
    std::vector<std::tuple<int, int, const char*>> cells;
    const char* message;
    const char* written;  // a piece of the file OK writes once the failing cell is fixed
    std::tuple<int, int, const char*> fix;
  };
  const Case cases[] = {
      {Table::Connections,
       {{1, 2, "192.168.1"}},
       "Error row 1!! IP Address must be a valid TCP IP Address (Ex. 192.168.1.125)",
       "IP_Address=\"192.168.1.125\"",
       {1, 2, "192.168.1.125"}},
      {Table::Receive,
       {{1, 2, "2048"}, {1, 3, "2.0A (11 bits)"}, {1, 4, "1"}, {1, 5, "0"}},
       "Error row 1!! CobID must be between 0 and 2047",
       "<row Enable=\"Y\" COBID=\"0x7FF\" CAN_Type=\"2.0A (11 bits)\" Dim=\"1\" TimeOut=\"0\" Byte1=\"\"",
       {1, 2, "0x7FF"}},
      {Table::Send,
       {{1, 2, "5"}, {1, 4, "3"}, {1, 11, "1500"}, {1, 12, "1500"}},
       "Error row 1!! Byte3 must be between 0 and 1499 or None",
       "Byte3=\"None\" Byte4=\"1500\"",
       {1, 11, "None"}},
  };
  startWithConfiguration();
  for (const Case& c : cases) {
    TableDialog& d = dialog(c.table);
    SCOPED_TRACE(d.objectName().toStdString());
    messages_.shown.clear();
    d.show();
    GridView& v = d.gridView();
    if (c.table == Table::Connections) fillConnection(v, 1, "");
    for (const auto& [r, col, text] : c.cells) setCell(v, r, col, QString::fromUtf8(text));
    click(&d, "Btn_OK");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(shownTexts(), std::vector<std::string>{c.message});
    EXPECT_FALSE(fs::exists(file(c.table)));
    const auto& [r, col, text] = c.fix;
    setCell(v, r, col, QString::fromUtf8(text));
    click(&d, "Btn_OK");
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(messages_.shown.size(), 1u);
    const std::string written = readText(file(c.table));
    EXPECT_NE(written.find(c.written), std::string::npos) << written;
    EXPECT_EQ(written, d.editor().toXml());
  }
  // OnCMD goes to the file as "N" whatever the hidden cell holds.
  EXPECT_NE(readText(file(Table::Send)).find("OnCMD=\"N\""), std::string::npos);
}

TEST_F(TableDialogsTest, RowButtonsAskAndMoveWholeRows) {
  startWithConfiguration();
  TableDialog& d = dialog(Table::Connections);
  d.show();
  GridView& v = d.gridView();
  for (int r = 1; r <= 10; ++r) fillConnection(v, r, QStringLiteral("10.0.0.%1").arg(r));

  setCurrent(v, 3, 5);
  messages_.answers = {false};
  click(&d, "Btn_DelRow");
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Are you sure to delete the Row number 3"});
  EXPECT_EQ(cell(&v, 3, 2), "10.0.0.3");
  messages_.answers = {true};
  click(&d, "Btn_DelRow");
  EXPECT_EQ(cell(&v, 3, 2), "10.0.0.4");
  EXPECT_EQ(cell(&v, 9, 2), "10.0.0.10");
  EXPECT_EQ(cell(&v, 10, 1), "") << "the last row is emptied, its Enable included";
  EXPECT_EQ(cell(&v, 10, 2), "");
  EXPECT_EQ(cell(&v, 10, 0), "10");

  messages_.shown.clear();
  setCurrent(v, 1, 2);
  click(&d, "Btn_InsRow");
  EXPECT_TRUE(messages_.shown.empty()) << "no question";
  EXPECT_EQ(cell(&v, 1, 1), "Y");
  EXPECT_EQ(cell(&v, 1, 2), "");
  EXPECT_EQ(cell(&v, 1, 14), "");
  EXPECT_EQ(cell(&v, 2, 2), "10.0.0.1");
  EXPECT_EQ(cell(&v, 10, 2), "10.0.0.10");

  // Copy row 2; pasting on a row whose only value is a check box asks nothing.
  setCurrent(v, 2, 3);
  click(&d, "Btn_CopyRow");
  EXPECT_TRUE(d.doCopy());
  EXPECT_EQ(state_->rowClipboard.size(), 14u);
  setCurrent(v, 1, 1);
  setCell(v, 1, 1, "N");
  click(&d, "Btn_PasteRow");
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(cell(&v, 1, 2), "10.0.0.1");
  EXPECT_EQ(cell(&v, 1, 1), "Y");
  // Over a used row: entry 1100 first.
  setCurrent(v, 5, 2);
  messages_.answers = {false};
  click(&d, "Btn_PasteRow");
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Row Already used. Do you want to overwrite the values?"});
  EXPECT_EQ(cell(&v, 5, 2), "10.0.0.5");
  messages_.answers = {true};
  click(&d, "Btn_PasteRow");
  EXPECT_EQ(cell(&v, 5, 2), "10.0.0.1");
  EXPECT_EQ(cell(&v, 5, 14), "x");
  d.close();
}

TEST_F(TableDialogsTest, ACopiedRowPastesOnlyInItsDialogDuringItsShowing) {
  startWithConfiguration();
  writeText(file(Table::Send), "<Transmit_Frames><row COBID=\"7\" OnCMD=\"Y\"/></Transmit_Frames>");
  TableDialog& rx = dialog(Table::Receive);
  TableDialog& eth = dialog(Table::Connections);
  TableDialog& tx = dialog(Table::Send);
  rx.show();
  click(&rx, "Btn_CopyRow");
  click(&rx, "Btn_Cancel");
  eth.show();
  click(&eth, "Btn_PasteRow");
  eth.close();
  rx.show();
  EXPECT_FALSE(rx.doCopy()) << "cleared at every showing";
  click(&rx, "Btn_PasteRow");
  EXPECT_EQ(shownTexts(), std::vector<std::string>(2, "Error!!! Copy a valid row before Paste it"));
  rx.close();

  // The hidden OnCMD cell travels with the row: 17 texts.
  messages_.shown.clear();
  tx.show();
  GridView& v = tx.gridView();
  setCurrent(v, 1, 2);
  click(&tx, "Btn_CopyRow");
  ASSERT_EQ(state_->rowClipboard.size(), 17u);
  EXPECT_EQ(state_->rowClipboard[5], "N");
  EXPECT_EQ(state_->rowClipboard[1], "7");
  setCurrent(v, 3, 2);
  click(&tx, "Btn_PasteRow");
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(cell(&v, 3, 2), "7");
  EXPECT_EQ(cell(&v, 3, 6), "N");
  EXPECT_EQ(cell(&v, 4, 6), "") << "a fresh row's hidden cell is empty";
  tx.close();
}

TEST_F(TableDialogsTest, EnterWalksTheCellsWhenTheOptionIsOn) {
  startWithConfiguration();
  TableDialog& d = dialog(Table::Send);
  showActive(&d);
  GridView& v = d.gridView();

  setCurrent(v, 1, 2);
  key(&v, Qt::Key_Return);
  EXPECT_EQ(current(v), std::make_pair(1, 2)) << "the option is off";

  state_->settings().enableJumpFieldTables = true;  // read at the moment of the key
  const std::pair<std::pair<int, int>, std::pair<int, int>> walks[] = {
      {{1, 2}, {1, 3}}, {{1, 5}, {1, 7}} /* over the hidden column */, {{1, 17}, {2, 1}}, {{512, 17}, {1, 1}}};
  for (const auto& [from, to] : walks) {
    setCurrent(v, from.first, from.second);
    key(&v, Qt::Key_Enter);
    EXPECT_EQ(current(v), to) << from.first << "," << from.second;
  }

  // While a cell is edited, Enter keeps what was typed and moves on.
  setCurrent(v, 4, 2);
  v.setFocus();
  typeIntoFocus("0x7FF");
  EXPECT_TRUE(v.isEditing());
  key(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(cell(&v, 4, 2), "0x7FF");
  EXPECT_EQ(current(v), std::make_pair(4, 3));
  EXPECT_FALSE(v.isEditing());

  state_->settings().enableJumpFieldTables = false;
  setCurrent(v, 4, 2);
  v.setFocus();
  typeIntoFocus("9");
  key(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(cell(&v, 4, 2), "9") << "Enter ends the edit as usual";
  EXPECT_EQ(current(v), std::make_pair(4, 2));
  d.close();
}

TEST_F(TableDialogsTest, ADoubleClickOnAHeaderFitsItsColumnWhenTheOptionIsOn) {
  startWithConfiguration();
  TableDialog& d = dialog(Table::Connections);
  showActive(&d);
  GridView& v = d.gridView();
  const QString wide(120, QLatin1Char('W'));
  setCell(v, 4, 14, wide);
  QHeaderView* header = v.horizontalHeader();
  const int before = v.columnWidth(14);
  const auto doubleClickHeader = [&] {
    const QPoint at(header->sectionViewportPosition(14) + header->sectionSize(14) / 2, header->height() / 2);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  };
  doubleClickHeader();
  EXPECT_EQ(v.columnWidth(14), before) << "the option is off";
  // The divider's double click obeys the option too.
  QTest::mouseDClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                     QPoint(header->sectionViewportPosition(14) + header->sectionSize(14) - 1, header->height() / 2));
  EXPECT_EQ(v.columnWidth(14), before);

  state_->settings().doubleClickAutoSize = true;
  const QRect data = v.visualRect(v.model()->index(1, 14));
  QTest::mouseDClick(v.viewport(), Qt::LeftButton, Qt::NoModifier, data.center());
  v.commitEdit();
  EXPECT_EQ(v.columnWidth(14), before) << "a data cell resizes nothing";
  doubleClickHeader();
  EXPECT_GE(v.columnWidth(14), v.fontMetrics().horizontalAdvance(wide));
  d.close();
}

TEST_F(TableDialogsTest, BlocksOfCellsGoToAndComeFromTheSystemClipboard) {
  startWithConfiguration();
  TableDialog& d = dialog(Table::Send);
  showActive(&d);
  GridView& v = d.gridView();
  const QStringList row1 = {"Y", "0x100", "2.0A (11 bits)", "8", "Y", "Q", "N", "100"};
  for (int c = 1; c <= 8; ++c) setCell(v, 1, c, row1[c - 1]);
  setCell(v, 2, 4, "2");

  // Dim to Time of rows 1 and 2: the hidden OnCMD is left out.
  v.selectionModel()->select(QItemSelection(v.model()->index(0, 4), v.model()->index(1, 8)),
                             QItemSelectionModel::ClearAndSelect);
  key(&v, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "8\tY\tN\t100\n2\t\t\t\n");

  // A block from a spreadsheet: check boxes take Y or N, the hidden column is skipped, the rest is cut.
  QGuiApplication::clipboard()->setText("3\ty\tfoo\t50\r\n4\tN\tY\t60\textra\r\n");
  setCurrent(v, 511, 4);
  key(&v, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(cell(&v, 511, 4), "3");
  EXPECT_EQ(cell(&v, 511, 5), "Y");
  EXPECT_EQ(cell(&v, 511, 6), "") << "the hidden column is never written";
  EXPECT_EQ(cell(&v, 511, 7), "N");
  EXPECT_EQ(cell(&v, 511, 8), "50");
  EXPECT_EQ(cell(&v, 512, 7), "Y");
  EXPECT_EQ(cell(&v, 512, 9), "extra");
  EXPECT_EQ(cell(&v, 512, 3), "") << "nothing left of the block";

  // A paste at the numbering column starts at column 1; copying with it leaves the numbers out.
  QGuiApplication::clipboard()->setText("N\t0x5");
  setCurrent(v, 10, 0);
  key(&v, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(cell(&v, 10, 0), "10");
  EXPECT_EQ(cell(&v, 10, 1), "N");
  EXPECT_EQ(cell(&v, 10, 2), "0x5");
  v.selectionModel()->select(QItemSelection(v.model()->index(9, 0), v.model()->index(9, 2)),
                             QItemSelectionModel::ClearAndSelect);
  key(&v, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "N\t0x5\n");
  d.close();
}

TEST_F(TableDialogsTest, OkAsksBeforeDroppingRowsThatHoldData) {
  startWithConfiguration();
  TableDialog& d = dialog(Table::Connections);
  d.show();
  GridView& v = d.gridView();
  fillConnection(v, 1, "192.168.0.20");
  setCell(v, 3, 14, "keep me");
  messages_.answers = {false};
  click(&d, "Btn_OK");
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].kind, 'Q');
  EXPECT_NE(messages_.shown[0].text.find("Row 3"), std::string::npos) << messages_.shown[0].text;
  EXPECT_TRUE(d.isVisible());
  EXPECT_FALSE(fs::exists(file(Table::Connections)));
  EXPECT_EQ(cell(&v, 3, 14), "keep me");
  messages_.answers = {true};
  click(&d, "Btn_OK");
  EXPECT_FALSE(d.isVisible());
  const std::string written = readText(file(Table::Connections));
  EXPECT_NE(written.find("192.168.0.20"), std::string::npos);
  EXPECT_EQ(written.find("keep me"), std::string::npos);
}

TEST_F(TableDialogsTest, ADamagedFileIsReportedAndKeptUntilOk) {
  startWithConfiguration();
  const std::string damaged = "<Receive_Frames>\n  <row COBID=\"5\">\n</Receive_Frames>";
  writeText(file(Table::Receive), damaged);
  TableDialog& d = dialog(Table::Receive);
  d.show();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].kind, 'E');
  EXPECT_NE(messages_.shown[0].text.find(utf8String(file(Table::Receive))), std::string::npos);
  EXPECT_NE(messages_.shown[0].text.find("line 3"), std::string::npos) << messages_.shown[0].text;
  EXPECT_EQ(cell(&d.gridView(), 1, 2), "") << "fresh rows";
  click(&d, "Btn_Cancel");
  EXPECT_EQ(readText(file(Table::Receive)), damaged);
  EXPECT_FALSE(fs::exists(project() / "CAN_Rec_Frames.xml.bak"));
  d.show();
  click(&d, "Btn_OK");
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(readText(project() / "CAN_Rec_Frames.xml.bak"), damaged);
  EXPECT_EQ(readText(file(Table::Receive)).rfind("<Receive_Frames", 0), 0u);
}

TEST_F(TableDialogsTest, ListCellsAreEditedThroughOneSharedListAndPickedByTyping) {
  startWithConfiguration();
  writeText(file(Table::Receive), "<Receive_Frames><row COBID=\"1\" Byte1=\"1500\"/></Receive_Frames>");
  TableDialog& rx = dialog(Table::Receive);
  showActive(&rx);
  GridView& v = rx.gridView();
  EXPECT_TRUE(v.findChildren<QComboBox*>().isEmpty()) << "no editor until a cell is edited";

  // A position not in the list stays when the list is opened and closed without a choice.
  setCurrent(v, 1, 6);
  key(&v, Qt::Key_F2);
  auto* combo = editedCombo();
  ASSERT_NE(combo, nullptr);
  EXPECT_FALSE(combo->isEditable());
  EXPECT_EQ(combo->count(), 1501);
  EXPECT_EQ(combo->itemText(0), "None");
  EXPECT_EQ(combo->itemText(1500), "1499");
  QAbstractItemModel* shared = combo->model();
  key(combo, Qt::Key_Return);
  EXPECT_EQ(cell(&v, 1, 6), "1500");

  const std::pair<const char*, const char*> typed[] = {
      {"11", "11"}, {"1499", "1499"}, {"n", "None"}, {"7", "7"}, {"1500", "150"} /* no such item: the 0 is ignored */};
  int col = 7;
  for (const auto& [keys, picked] : typed) {
    setCurrent(v, 1, col);
    v.setFocus();
    typeIntoFocus(QString::fromLatin1(keys));
    key(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(cell(&v, 1, col), picked) << keys;
    ++col;
  }
  rx.close();

  // The send table's byte cells use the very same list; the type column its own two items.
  TableDialog& tx = dialog(Table::Send);
  showActive(&tx);
  GridView& t = tx.gridView();
  setCurrent(t, 1, 9);
  key(&t, Qt::Key_F2);
  combo = editedCombo();
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->model(), shared);
  key(combo, Qt::Key_Escape);
  setCurrent(t, 1, 3);
  key(&t, Qt::Key_F2);
  combo = editedCombo();
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->count(), 2);
  typeIntoFocus("2.0b");
  key(combo, Qt::Key_Return);
  EXPECT_EQ(cell(&t, 1, 3), "2.0B (29 bits)");
  tx.close();

  // The header-size cells take an item or free text, and free text never joins the list.
  TableDialog& eth = dialog(Table::Connections);
  showActive(&eth);
  GridView& e = eth.gridView();
  setCurrent(e, 2, 12);
  key(&e, Qt::Key_F2);
  combo = editedCombo();
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(combo->isEditable());
  EXPECT_EQ(combo->count(), 1);
  typeIntoFocus("3");
  key(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(cell(&e, 2, 12), "3");
  setCurrent(e, 2, 13);
  key(&e, Qt::Key_F2);
  combo = editedCombo();
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->count(), 1);
  combo->setCurrentIndex(0);
  key(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(cell(&e, 2, 13), "Default");
  eth.close();
}

TEST_F(TableDialogsTest, CheckBoxCellsToggleBetweenYAndN) {
  startWithConfiguration();
  writeText(file(Table::Receive), "<Receive_Frames><row Enable=\" Y\" COBID=\"1\"/></Receive_Frames>");
  TableDialog& d = dialog(Table::Receive);
  showActive(&d);
  GridView& v = d.gridView();
  EXPECT_EQ(cell(&v, 1, 1, Qt::DisplayRole), " Y") << "a text that is neither Y nor N shows itself";
  EXPECT_EQ(cell(&v, 2, 1, Qt::DisplayRole), "");
  setCurrent(v, 2, 1);
  key(&v, Qt::Key_Space);
  EXPECT_EQ(cell(&v, 2, 1), "N");
  key(&v, Qt::Key_Space);
  EXPECT_EQ(cell(&v, 2, 1), "Y");
  d.close();
}

// Two connections, the first written over several lines with comments, as adapters' files have them.
constexpr const char* kTwoConnections =
    "[File]\r\n  DescText = \"Test\";\r\n"
    "[Connection Manager]\r\n"
    "  Object_Name = \"Connection Manager Object\";\r\n"
    "  Connection1 =\r\n"
    "    0x04010002,            $ trigger and transport\r\n"
    "    0x44640405,            $ connection parameters\r\n"
    "    ,,Assem150,,,Assem100,,,,,\r\n"
    "    \"Exclusive Owner\",\"\",\r\n"
    "    \"20 04 24 01 2C 96 2C 64\";  $ path\r\n"
    "  Connection2 = 0x01010002,0x44643405,,,,,,,,,,,\"Input Only\",\"T>O header 3\","
    "\"20 04 24 05 2C 64 24 06 2C 65\";\r\n"
    "[Assembly]\r\n  Assem100 = \"Inputs\",,,8,,,;\r\n";

TEST_F(TableDialogsTest, ImportEdsFillsTheFirstFreeRowFromTheChosenConnection) {
  startWithConfiguration();
  const fs::path eds = home_ / "adapter.eds";
  writeText(eds, kTwoConnections);
  TableDialog& d = dialog(Table::Connections);
  d.show();
  GridView& v = d.gridView();
  fillConnection(v, 1, "192.168.0.20");
  setCell(v, 2, 8, "9");  // no IP address, but an instance from an earlier import: no target
  setCell(v, 3, 14, "press");

  filePicker_.answer = eds;
  QStringList listed;
  whileModal([&] { click(&d, "Btn_Import_EDS"); },
             [&](QWidget* modal) {
               EXPECT_EQ(modal->objectName(), "TFEtherNEtIP_EDS");
               auto* grid = find<QTableView>(modal, "ACG");
               for (int r = 0; r < grid->model()->rowCount(); ++r)
                 listed << grid->model()->index(r, 0).data().toString();
               grid->selectRow(1);
               click(modal, "Btn_OK");
             });
  EXPECT_EQ(filePicker_.filters, std::vector<std::string>{"EtherNet/IP EDS (*.eds)"});
  EXPECT_EQ(listed, (QStringList{"Connection1", "Connection2"}));
  // Columns 8 to 13: Instance T > O, Conn. Point T > O, Instance O > T, Conn. Point O > T, both header sizes.
  const QStringList imported = {"6", "101", "5", "100", "3", "Default"};
  for (int c = 8; c <= 13; ++c) EXPECT_EQ(cell(&v, 3, c), imported[c - 8]) << c;
  EXPECT_EQ(cell(&v, 3, 14), "press") << "the other cells keep their texts";
  EXPECT_EQ(cell(&v, 3, 2), "");
  EXPECT_EQ(cell(&v, 2, 9), "");
  EXPECT_TRUE(messages_.shown.empty());

  // The next free row takes the next import; OK with the row's address entered saves it.
  whileModal([&] { click(&d, "Btn_Import_EDS"); }, [&](QWidget* modal) { click(modal, "Btn_OK"); });
  for (int c = 8; c <= 13; ++c)
    EXPECT_EQ(cell(&v, 4, c), (QStringList{"1", "100", "1", "150", "Default", "Default"})[c - 8]) << c;
  EXPECT_FALSE(fs::exists(file(Table::Connections))) << "only the grid changed";
  const QStringList row3 = {"Y", "192.168.0.3", "0", "8", "0", "8", "100"};
  for (int c = 1; c <= 7; ++c) setCell(v, 3, c, row3[c - 1]);
  setCell(v, 2, 8, "");
  fillConnection(v, 2, "192.168.0.2");
  messages_.answers = {true};  // row 4 holds the second import but no address: it is dropped after asking
  click(&d, "Btn_OK");
  EXPECT_FALSE(d.isVisible());
  const std::string written = readText(file(Table::Connections));
  EXPECT_NE(written.find("IP_Address=\"192.168.0.3\" Start_Input=\"0\" Num_Input=\"8\" Start_Output=\"0\" "
                         "Num_Output=\"8\" Time_Poll=\"100\" Instance_T_O=\"6\" Connection_Point_T_O=\"101\" "
                         "Instance_O_T=\"5\" Connection_Point_O_T=\"100\" Dim_Header_T_O=\"3\" "
                         "Dim_Header_O_T=\"Default\" Mnemonic=\"press\""),
            std::string::npos)
      << written;
}

TEST_F(TableDialogsTest, ImportEdsChangesNothingWhenCancelledEmptyOrFull) {
  startWithConfiguration();
  TableDialog& d = dialog(Table::Connections);
  d.show();
  GridView& v = d.gridView();

  filePicker_.answer.reset();  // the user cancels the file dialog
  click(&d, "Btn_Import_EDS");
  EXPECT_EQ(QApplication::activeModalWidget(), &d) << "no selection dialog";

  const fs::path eds = home_ / "adapter.eds";
  writeText(eds, kTwoConnections);
  filePicker_.answer = eds;
  whileModal([&] { click(&d, "Btn_Import_EDS"); }, [&](QWidget* modal) { click(modal, "Btn_Cancel"); });
  EXPECT_EQ(cell(&v, 1, 8), "");

  // Nothing usable in the file: the selection dialog says so once it is shown and closes by itself.
  writeText(eds, "[Connection Manager]\n Connection1 = 0x1,0x2,,,,,,,,,,,\"A\",\"\",\"20 04 24 01 2C 96\";\n");
  click(&d, "Btn_Import_EDS");
  EXPECT_EQ(shownTexts(), std::vector<std::string>{"Error!! No Valid Connection found"});
  EXPECT_EQ(cell(&v, 1, 8), "");

  // Every row has an address: the chosen connection has nowhere to go, and nothing is said.
  messages_.shown.clear();
  writeText(eds, kTwoConnections);
  for (int r = 1; r <= 10; ++r) setCell(v, r, 2, QStringLiteral("10.0.0.%1").arg(r));
  whileModal([&] { click(&d, "Btn_Import_EDS"); }, [&](QWidget* modal) { click(modal, "Btn_OK"); });
  for (int r = 1; r <= 10; ++r) EXPECT_EQ(cell(&v, r, 8), "") << r;
  EXPECT_TRUE(messages_.shown.empty());
  d.close();
}

TEST_F(TableDialogsTest, TheStepButtonsShowTheEditorsModally) {
  MainWindow& w = startWithConfiguration();
  const std::pair<const char*, const char*> steps[] = {{"Btn_Prm_Gen", "TFParGen"},
                                                       {"Btn_EtherNetIP_Access", "TFEtherNetIP_Master_Access"},
                                                       {"Btn_CAN_Rec_Frame", "TFReceiveCAN"},
                                                       {"Btn_CAN_Send_Frame", "TFTransmitCAN"}};
  for (const auto& [button, dialogName] : steps) {
    QString shown;
    whileModal([&] { click(&w, button); },
               [&](QWidget* modal) {
                 shown = modal->objectName();
                 click(modal, "Btn_Cancel");
               });
    EXPECT_EQ(shown, dialogName);
  }
  EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
}  // namespace konfex::test

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include "core/editors/editors.h"
#include "core/io/text.h"
#include "core/lang/messages.h"
#include "editors_fixture.h"
#include "gui/editors/collapsible_panel.h"
#include "gui/editors/par_gen_dialog.h"

namespace konfex::test {
namespace {

namespace fs = std::filesystem;

class ParGenDialogTest : public EditorsTest {
 protected:
  ParGenDialog& dialog() { return window_->parGenDialog(); }
  QLineEdit* field(const char* name) { return find<QLineEdit>(&dialog(), name); }
  fs::path file() const { return project() / "ParGen.xml"; }

  // What OK must write for these values: the core model's own output.
  static std::string expectedXml(const std::array<std::string, 12>& bytes, bool gateway, int bitRate) {
    ParGenModel model;
    model.bytes = bytes;
    model.gatewayEnabled = gateway;
    model.bitRateIndex = bitRate;
    return model.toXml();
  }
  static constexpr std::array<const char*, 12> kFields = {
      "E_EtherNetIP_Master_IP1",  "E_EtherNetIP_Master_IP2",  "E_EtherNetIP_Master_IP3",  "E_EtherNetIP_Master_IP4",
      "E_EtherNetIP_Master_SM1",  "E_EtherNetIP_Master_SM2",  "E_EtherNetIP_Master_SM3",  "E_EtherNetIP_Master_SM4",
      "E_EtherNetIP_Master_GAT1", "E_EtherNetIP_Master_GAT2", "E_EtherNetIP_Master_GAT3", "E_EtherNetIP_Master_GAT4"};
  std::array<std::string, 12> shownBytes() {
    std::array<std::string, 12> out;
    for (size_t i = 0; i < kFields.size(); ++i) out[i] = fromQ(field(kFields[i])->text());
    return out;
  }
};

TEST_F(ParGenDialogTest, LaidOutAsTheProductHasIt) {
  startWithConfiguration();
  ParGenDialog& d = dialog();
  EXPECT_EQ(d.objectName(), "TFParGen");
  EXPECT_EQ(d.size(), QSize(460, 700));
  EXPECT_EQ(d.windowTitle(), "Set Communication");
  EXPECT_EQ(labelText(&d, "L_SW_Code"), "QS40213");
  EXPECT_EQ(labelText(&d, "L_SW_Desc"), "Set Communication Setting");
  d.show();

  auto* can = find<CollapsiblePanel>(&d, "CP_CAN");
  auto* eth = find<CollapsiblePanel>(&d, "CP_EtherNetIP_Master");
  EXPECT_EQ(can->caption(), "1. CAN");
  EXPECT_EQ(eth->caption(), "2. EtherNet/IP Master");
  EXPECT_EQ(can->y(), 0);
  EXPECT_EQ(eth->y(), can->height()) << "directly below CP_CAN";
  EXPECT_EQ(can->parentWidget(), eth->parentWidget());
  EXPECT_NE(find<QScrollArea>(&d, "CPG"), nullptr);

  auto* rate = find<QComboBox>(&d, "CB_CAN_Baudrate");
  QStringList items;
  for (int i = 0; i < rate->count(); ++i) items << rate->itemText(i);
  EXPECT_EQ(items, (QStringList{"10K", "20K", "50K", "62.5K", "100K", "125K", "250K", "500K", "800K", "1000K"}));
  EXPECT_FALSE(rate->isEditable());
  // Each panel is as high as its lowest control, plus the header and 12 pixels.
  EXPECT_EQ(can->height(), CollapsiblePanel::kHeaderHeight + rate->geometry().bottom() + 1 + 12);
  auto* port = field("E_EtherNetIP_Master_Port");
  EXPECT_EQ(eth->height(), CollapsiblePanel::kHeaderHeight + port->geometry().bottom() + 1 + 12);
  EXPECT_FALSE(port->isEnabled());
  EXPECT_EQ(port->text(), "44818");

  EXPECT_EQ(labelText(&d, "L_CAN_Baudrate"), "Baudrate");
  EXPECT_EQ(labelText(&d, "L_EtherNetIP_Master_IP"), "IP Address");
  EXPECT_EQ(labelText(&d, "L_EtherNetIP_Master_SM"), "SubNet Mask");
  EXPECT_EQ(labelText(&d, "L_EtherNetIP_Master_TunnelPort"), "Port");
  auto* gateway = find<QCheckBox>(&d, "CB_EtherNetIP_Master_GAT");
  EXPECT_EQ(gateway->text(), "Gateway");
  EXPECT_EQ(gateway->toolTip(), "Enable/disable the Default Gateway");
  EXPECT_EQ(rate->toolTip(), "Select Baudrate to use in CAN port");
  EXPECT_EQ(port->toolTip(), "Insert the Port of EtherNet/IP (fixed to 44818)");
  EXPECT_EQ(field("E_EtherNetIP_Master_IP1")->toolTip(), "Insert First byte of IP Address");
  EXPECT_EQ(field("E_EtherNetIP_Master_SM4")->toolTip(), "Insert Fourth byte of SubNet Mask");
  EXPECT_EQ(field("E_EtherNetIP_Master_GAT3")->toolTip(), "Insert Third byte of Default Gateway");
  // The byte fields of a row stand left to right, a "." between each two.
  for (const char* row : {"IP", "SM", "GAT"}) {
    for (int k = 1; k <= 3; ++k) {
      const QString name = QStringLiteral("E_EtherNetIP_Master_%1%2").arg(QLatin1String(row));
      QWidget* left = find(&d, fromQ(name.arg(k)).c_str());
      QWidget* right = find(&d, fromQ(name.arg(k + 1)).c_str());
      auto* dot = find<QLabel>(&d, fromQ(QStringLiteral("L_Dot_%1%2").arg(QLatin1String(row)).arg(k)).c_str());
      EXPECT_EQ(dot->text(), ".");
      EXPECT_LT(left->geometry().right(), dot->x());
      EXPECT_LT(dot->geometry().right(), right->x());
      EXPECT_EQ(left->y(), right->y());
    }
  }
  auto* ok = find<QPushButton>(&d, "Btn_OK");
  auto* cancel = find<QPushButton>(&d, "Btn_Cancel");
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_EQ(ok->toolTip(), "Confirm and Save the current configuration");
  EXPECT_EQ(cancel->toolTip(), "Exit and Discard the current configuration");
  EXPECT_LT(ok->x(), cancel->x());
  EXPECT_GT(ok->x(), d.width() / 2) << "the buttons stand at the right";

  // The width stays; the height follows the user.
  d.resize(600, 800);
  EXPECT_EQ(d.size(), QSize(460, 800));
  d.close();
}

TEST_F(ParGenDialogTest, PanelCaptionsKeepTheLanguageOfTheStart) {
  startWithConfiguration();
  texts_.set(540, "Bus");
  texts_.set(406, "Scanner");
  texts_.set(541, "Bit rate");
  window_->changeLanguage();
  EXPECT_EQ(find<CollapsiblePanel>(&dialog(), "CP_CAN")->caption(), "1. CAN");
  EXPECT_EQ(find<CollapsiblePanel>(&dialog(), "CP_EtherNetIP_Master")->caption(), "2. EtherNet/IP Master");
  EXPECT_EQ(labelText(&dialog(), "L_CAN_Baudrate"), "Bit rate");
}

TEST_F(ParGenDialogTest, PanelsFoldUnderTheirHeader) {
  startWithConfiguration();
  ParGenDialog& d = dialog();
  d.show();
  auto* can = find<CollapsiblePanel>(&d, "CP_CAN");
  auto* eth = find<CollapsiblePanel>(&d, "CP_EtherNetIP_Master");
  const int open = can->height();
  QWidget* header = can->findChild<QWidget*>(QStringLiteral("Header"));
  ASSERT_NE(header, nullptr);
  QTest::mouseClick(header, Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_FALSE(can->isExpanded());
  EXPECT_EQ(can->height(), CollapsiblePanel::kHeaderHeight);
  EXPECT_FALSE(find(&d, "CB_CAN_Baudrate")->isVisible());
  EXPECT_EQ(eth->y(), CollapsiblePanel::kHeaderHeight);
  QTest::mouseClick(header, Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_EQ(can->height(), open);
  EXPECT_TRUE(find(&d, "CB_CAN_Baudrate")->isVisible());
  d.close();
}

TEST_F(ParGenDialogTest, WithoutAFileShowsTheDefaultsAndOkWritesThem) {
  startWithConfiguration();
  ParGenDialog& d = dialog();
  d.show();
  const std::array<std::string, 12> defaults = {"192", "168", "0",   "5",   "255", "255",
                                                "255", "0",   "192", "168", "0",   "1"};
  EXPECT_EQ(shownBytes(), defaults);
  EXPECT_FALSE(find<QCheckBox>(&d, "CB_EtherNetIP_Master_GAT")->isChecked());
  EXPECT_EQ(find<QComboBox>(&d, "CB_CAN_Baudrate")->currentText(), "1000K");
  click(&d, "Btn_OK");
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(readText(file()), expectedXml(defaults, false, 9));
}

TEST_F(ParGenDialogTest, ShowsTheFileAndWritesTheFieldsAsTyped) {
  startWithConfiguration();
  writeText(file(),
            "<Par_Gen><CAN_BAUDRATE>12</CAN_BAUDRATE><EtherNetIP_Master_IP1>10</EtherNetIP_Master_IP1>"
            "<EtherNetIP_Master_EN_GAT>1</EtherNetIP_Master_EN_GAT><EtherNetIP_Master_Port>502</EtherNetIP_Master_Port>"
            "<EtherNetIP_Master_GAT2>abc</EtherNetIP_Master_GAT2></Par_Gen>");
  ParGenDialog& d = dialog();
  d.show();
  EXPECT_EQ(field("E_EtherNetIP_Master_IP1")->text(), "10");
  EXPECT_EQ(field("E_EtherNetIP_Master_IP2")->text(), "168") << "a missing element shows its default";
  EXPECT_EQ(field("E_EtherNetIP_Master_Port")->text(), "44818");
  EXPECT_TRUE(find<QCheckBox>(&d, "CB_EtherNetIP_Master_GAT")->isChecked());
  EXPECT_EQ(find<QComboBox>(&d, "CB_CAN_Baudrate")->currentIndex(), -1);

  // The checked gateway is validated: "abc" fails with 459 and nothing is written.
  const std::string before = readText(file());
  click(&d, "Btn_OK");
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(shownTexts(),
            std::vector<std::string>{"Error EtherNet/IP Master!! GATEWAY IP 2 must be between 0 and 255"});
  EXPECT_EQ(readText(file()), before);

  // Unchecked, the gateway bytes are not looked at and go to the file as typed.
  find<QCheckBox>(&d, "CB_EtherNetIP_Master_GAT")->setChecked(false);
  field("E_EtherNetIP_Master_IP4")->setText("0x0A");
  click(&d, "Btn_OK");
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(readText(file()),
            expectedXml({"10", "168", "0", "0x0A", "255", "255", "255", "0", "192", "abc", "0", "1"}, false, -1));
}

TEST_F(ParGenDialogTest, ValidationReportsTheFirstFailingFieldOnly) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> fields;
    bool gateway;
    const char* message;  // nullptr: passes
  };
  const Case cases[] = {
      {{{"E_EtherNetIP_Master_IP1", ""}}, false, "Error EtherNet/IP Master!! IP Address 1 must be between 0 and 255"},
      {{{"E_EtherNetIP_Master_IP4", "256"}, {"E_EtherNetIP_Master_SM1", "300"}},
       false,
       "Error EtherNet/IP Master!! IP Address 4 must be between 0 and 255"},
      {{{"E_EtherNetIP_Master_IP4", "255"}}, false, nullptr},
      {{{"E_EtherNetIP_Master_SM1", "-1"}},
       false,
       "Error EtherNet/IP Master!! SUBNET Mask 1 must be between 0 and 255"},
      {{{"E_EtherNetIP_Master_GAT4", "x"}}, false, nullptr},
      {{{"E_EtherNetIP_Master_GAT4", "x"}}, true, "Error EtherNet/IP Master!! GATEWAY IP 4 must be between 0 and 255"},
  };
  startWithConfiguration();
  ParGenDialog& d = dialog();
  for (const Case& c : cases) {
    const std::string name = std::string(c.fields[0].first) + "=" + c.fields[0].second;
    fs::remove(file());
    messages_.shown.clear();
    d.show();
    for (const auto& [f, text] : c.fields) field(f)->setText(QString::fromUtf8(text));
    find<QCheckBox>(&d, "CB_EtherNetIP_Master_GAT")->setChecked(c.gateway);
    click(&d, "Btn_OK");
    if (c.message == nullptr) {
      EXPECT_FALSE(d.isVisible()) << name;
      EXPECT_TRUE(messages_.shown.empty()) << name;
      EXPECT_TRUE(fs::exists(file())) << name;
    } else {
      EXPECT_EQ(shownTexts(), std::vector<std::string>{c.message}) << name;
      EXPECT_TRUE(d.isVisible()) << name;
      EXPECT_EQ(field(c.fields[0].first)->text(), QString::fromUtf8(c.fields[0].second)) << "the edits stay";
      EXPECT_FALSE(fs::exists(file())) << name;
      d.close();
    }
  }
}

TEST_F(ParGenDialogTest, CancelDiscardsAndTheNextShowingReloads) {
  startWithConfiguration();
  writeText(file(), "<Par_Gen><EtherNetIP_Master_IP1>10</EtherNetIP_Master_IP1></Par_Gen>");
  ParGenDialog& d = dialog();
  d.show();
  field("E_EtherNetIP_Master_IP1")->setText("11");
  find<QComboBox>(&d, "CB_CAN_Baudrate")->setCurrentIndex(0);
  click(&d, "Btn_Cancel");
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(readText(file()), "<Par_Gen><EtherNetIP_Master_IP1>10</EtherNetIP_Master_IP1></Par_Gen>");
  d.show();
  EXPECT_EQ(field("E_EtherNetIP_Master_IP1")->text(), "10");
  EXPECT_EQ(find<QComboBox>(&d, "CB_CAN_Baudrate")->currentText(), "1000K");
  d.close();
}

TEST_F(ParGenDialogTest, ThePointMovesToTheNextByteField) {
  startWithConfiguration();
  ParGenDialog& d = dialog();
  showActive(&d);
  for (const char* name : kFields) field(name)->clear();
  field("E_EtherNetIP_Master_IP1")->setFocus();
  typeIntoFocus("192.168.0.5.255.255.255.0.10.0.0.1.");
  EXPECT_EQ(shownBytes(),
            (std::array<std::string, 12>{"192", "168", "0", "5", "255", "255", "255", "0", "10", "0", "0", "1"}));
  EXPECT_EQ(QApplication::focusWidget(), field("E_EtherNetIP_Master_GAT4")) << "the last field keeps the focus";
  // Other characters pass unchanged, whatever they are.
  typeIntoFocus(",a");
  EXPECT_EQ(field("E_EtherNetIP_Master_GAT4")->text(), "1,a");
  d.close();
}

TEST_F(ParGenDialogTest, TheWheelScrollsThePanelsByTheSystemsLinesWhereverTheMouseIs) {
  startWithConfiguration();
  ParGenDialog& d = dialog();
  d.show();
  d.resize(460, 69 + 40 + 90);  // the panels no longer fit
  QApplication::processEvents();
  auto* group = find<QScrollArea>(&d, "CPG");
  QScrollBar* bar = group->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 3 * QApplication::wheelScrollLines() * bar->singleStep());
  auto* rate = find<QComboBox>(&d, "CB_CAN_Baudrate");
  const int index = rate->currentIndex();

  const auto turn = [](QWidget* over, int delta) {
    const QPoint local = over->rect().center();
    QWheelEvent wheel(local, over->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &wheel);
    return wheel.isAccepted();
  };
  const int notch = QApplication::wheelScrollLines() * bar->singleStep();
  EXPECT_TRUE(turn(rate, -120));
  EXPECT_EQ(bar->value(), notch);
  EXPECT_EQ(rate->currentIndex(), index) << "the list under the mouse keeps its choice";
  turn(group->viewport(), -1);  // any turn away from the user counts as one notch
  EXPECT_EQ(bar->value(), 2 * notch);
  turn(group->viewport(), 120);
  EXPECT_EQ(bar->value(), notch);
  // Outside the panel group the form leaves the wheel alone.
  turn(find(&d, "P_Title"), -120);
  EXPECT_EQ(bar->value(), notch);
  d.close();
}

TEST_F(ParGenDialogTest, ADamagedFileIsReportedAndKeptUntilOk) {
  startWithConfiguration();
  const std::string damaged = "<Par_Gen>\n<EtherNetIP_Master_IP1>10</EtherNetIP_Master_IP1>\n</Par_Ge";
  writeText(file(), damaged);
  ParGenDialog& d = dialog();
  d.show();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].kind, 'E');
  const std::string& text = messages_.shown[0].text;
  EXPECT_NE(text.find(utf8String(file())), std::string::npos) << text;
  EXPECT_NE(text.find("line 3"), std::string::npos) << text;
  EXPECT_NE(text.find("column"), std::string::npos) << text;
  EXPECT_EQ(field("E_EtherNetIP_Master_IP1")->text(), "192") << "the defaults";
  click(&d, "Btn_Cancel");
  EXPECT_EQ(readText(file()), damaged);
  EXPECT_FALSE(fs::exists(project() / "ParGen.xml.bak"));

  d.show();
  click(&d, "Btn_OK");
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(readText(project() / "ParGen.xml.bak"), damaged);
  EXPECT_EQ(readText(file()).rfind("<Par_Gen>", 0), 0u);
}

TEST_F(ParGenDialogTest, ASaveThatFailsIsReportedAndTheDialogStaysOpen) {
  startWithConfiguration();
  ParGenDialog& d = dialog();
  d.show();
  field("E_EtherNetIP_Master_IP1")->setText("11");
  fs::remove_all(project());
  click(&d, "Btn_OK");
  EXPECT_TRUE(d.isVisible());
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text.rfind("The file could not be saved; nothing was changed.\n", 0), 0u)
      << messages_.shown[0].text;
  EXPECT_EQ(field("E_EtherNetIP_Master_IP1")->text(), "11");
  d.close();
}

}  // namespace
}  // namespace konfex::test

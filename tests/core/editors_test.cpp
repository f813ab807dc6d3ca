#include "core/editors/editors.h"

#include <gtest/gtest.h>

#include "core/io/files.h"
#include "test_support.h"

namespace konfex::test {
namespace {

namespace fs = std::filesystem;

// ---- ParGen.xml

TEST(ParGenModelTest, MissingFileShowsDefaultsAndWritesThemInOrder) {
  TempDir dir;
  ParGenModel m;
  EXPECT_EQ(m.load(dir / "ParGen.xml").status, LoadResult::Status::Missing);
  EXPECT_EQ(m.validate(TextTable()), std::nullopt);
  m.save(dir / "ParGen.xml");
  EXPECT_EQ(readText(dir / "ParGen.xml"),
            "<Par_Gen>\n"
            "  <EtherNetIP_Master_IP1>192</EtherNetIP_Master_IP1>\n"
            "  <EtherNetIP_Master_IP2>168</EtherNetIP_Master_IP2>\n"
            "  <EtherNetIP_Master_IP3>0</EtherNetIP_Master_IP3>\n"
            "  <EtherNetIP_Master_IP4>5</EtherNetIP_Master_IP4>\n"
            "  <EtherNetIP_Master_SM1>255</EtherNetIP_Master_SM1>\n"
            "  <EtherNetIP_Master_SM2>255</EtherNetIP_Master_SM2>\n"
            "  <EtherNetIP_Master_SM3>255</EtherNetIP_Master_SM3>\n"
            "  <EtherNetIP_Master_SM4>0</EtherNetIP_Master_SM4>\n"
            "  <EtherNetIP_Master_GAT1>192</EtherNetIP_Master_GAT1>\n"
            "  <EtherNetIP_Master_GAT2>168</EtherNetIP_Master_GAT2>\n"
            "  <EtherNetIP_Master_GAT3>0</EtherNetIP_Master_GAT3>\n"
            "  <EtherNetIP_Master_GAT4>1</EtherNetIP_Master_GAT4>\n"
            "  <EtherNetIP_Master_EN_GAT>0</EtherNetIP_Master_EN_GAT>\n"
            "  <EtherNetIP_Master_Port>44818</EtherNetIP_Master_Port>\n"
            "  <CAN_BAUDRATE>9</CAN_BAUDRATE>\n"
            "</Par_Gen>\n"
            "<!--SW_VERSION = 1.000-->\n");
}

TEST(ParGenModelTest, ReadsEachElementOnItsOwn) {
  struct Case {
    const char* name;
    const char* body;
    bool gateway;
    int rate;
    const char* ip1;
  };
  const Case cases[] = {
      {"gateway exactly 1", "<EtherNetIP_Master_EN_GAT>1</EtherNetIP_Master_EN_GAT>", true, 9, "192"},
      {"gateway true", "<EtherNetIP_Master_EN_GAT>true</EtherNetIP_Master_EN_GAT>", false, 9, "192"},
      {"gateway blank 1", "<EtherNetIP_Master_EN_GAT> 1</EtherNetIP_Master_EN_GAT>", false, 9, "192"},
      {"rate 3", "<CAN_BAUDRATE>3</CAN_BAUDRATE>", false, 3, "192"},
      {"rate word", "<CAN_BAUDRATE>abc</CAN_BAUDRATE>", false, 9, "192"},
      {"rate 12", "<CAN_BAUDRATE>12</CAN_BAUDRATE>", false, -1, "192"},
      {"rate -2", "<CAN_BAUDRATE>-2</CAN_BAUDRATE>", false, -1, "192"},
      {"empty element", "<EtherNetIP_Master_IP1></EtherNetIP_Master_IP1>", false, 9, ""},
      {"blank text kept", "<EtherNetIP_Master_IP1> </EtherNetIP_Master_IP1>", false, 9, " "},
      {"other order", "<CAN_BAUDRATE>0</CAN_BAUDRATE><EtherNetIP_Master_IP1>0x0A</EtherNetIP_Master_IP1>", false, 0,
       "0x0A"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeText(dir / "ParGen.xml", std::string("<Par_Gen>") + c.body + "</Par_Gen><!--SW_VERSION = 1.000-->");
    ParGenModel m;
    EXPECT_EQ(m.load(dir / "ParGen.xml").status, LoadResult::Status::Loaded);
    EXPECT_EQ(m.gatewayEnabled, c.gateway);
    EXPECT_EQ(m.bitRateIndex, c.rate);
    EXPECT_EQ(m.bytes[0], c.ip1);
    EXPECT_EQ(m.bytes[3], "5");
  }

  // A comment before the root: the comment is taken as the root, so every field keeps its default.
  writeText(dir / "ParGen.xml", "<!--x--><Par_Gen><EtherNetIP_Master_IP1>7</EtherNetIP_Master_IP1></Par_Gen>");
  ParGenModel m;
  m.load(dir / "ParGen.xml");
  EXPECT_EQ(m.bytes[0], "192");
  // The port of the file is never used.
  writeText(dir / "ParGen.xml", "<Par_Gen><EtherNetIP_Master_Port>502</EtherNetIP_Master_Port></Par_Gen>");
  m.load(dir / "ParGen.xml");
  EXPECT_NE(m.toXml().find("<EtherNetIP_Master_Port>44818<"), std::string::npos);
}

TEST(ParGenModelTest, ValidatesBytesInOrderAndTheGatewayOnlyWhenChecked) {
  const TextTable texts;
  struct Case {
    size_t field;
    const char* value;
    bool gateway;
    const char* expected;  // nullptr: passes
  };
  const Case cases[] = {
      {3, "256", false, "Error EtherNet/IP Master!! IP Address 4 must be between 0 and 255"},
      {3, "255", false, nullptr},
      {0, "", false, "Error EtherNet/IP Master!! IP Address 1 must be between 0 and 255"},
      {0, "0x0A", false, nullptr},
      {0, "10 ", false, "Error EtherNet/IP Master!! IP Address 1 must be between 0 and 255"},
      {6, "-1", false, "Error EtherNet/IP Master!! SUBNET Mask 3 must be between 0 and 255"},
      {9, "abc", false, nullptr},
      {9, "abc", true, "Error EtherNet/IP Master!! GATEWAY IP 2 must be between 0 and 255"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.field) + " = '" + c.value + "'");
    ParGenModel m;
    m.load({});
    m.bytes[c.field] = c.value;
    m.gatewayEnabled = c.gateway;
    if (c.expected)
      EXPECT_EQ(m.validate(texts), c.expected);
    else
      EXPECT_EQ(m.validate(texts), std::nullopt);
  }
  // Two bad fields: only the first in checking order is reported.
  ParGenModel m;
  m.load({});
  m.bytes[5] = "x";
  m.bytes[2] = "300";
  EXPECT_EQ(m.validate(texts), "Error EtherNet/IP Master!! IP Address 3 must be between 0 and 255");
}

// ---- Adapter connections

struct Row {
  std::vector<std::pair<int, const char*>> cells;
};

void fill(Grid& g, int row, const Row& values) {
  for (const auto& [c, v] : values.cells) g.setCell(row, c, v);
}

Row validConnection(const char* numInput = "8") {
  return {{{2, "192.168.0.20"},
           {3, "0"},
           {4, numInput},
           {5, "0"},
           {6, "8"},
           {7, "100"},
           {8, "1"},
           {9, "100"},
           {10, "1"},
           {11, "101"},
           {12, "Default"},
           {13, "Default"}}};
}

TEST(ConnectionsEditorTest, ValidationRulesAndTotals) {
  const TextTable texts;
  struct Case {
    const char* name;
    int column;
    const char* value;
    const char* expected;
  };
  const Case cases[] = {
      {"valid", 0, "", nullptr},
      {"short address", 2, "192.168.1", "Error row 1!! IP Address must be a valid TCP IP Address (Ex. 192.168.1.125)"},
      {"address 256", 2, "192.168.1.256",
       "Error row 1!! IP Address must be a valid TCP IP Address (Ex. 192.168.1.125)"},
      {"start 65535", 3, "65535", nullptr},
      {"start 65536", 3, "65536", "Error row 1!! Start Input must be major or equal to 0"},
      {"start -1", 3, "-1", "Error row 1!! Start Input must be major or equal to 0"},
      {"poll 100000000", 7, "100000000", nullptr},
      {"poll 100000001", 7, "100000001", "Error row 1!! Poll Time must be between 1 and 100000000"},
      {"poll 0", 7, "0", "Error row 1!! Poll Time must be between 1 and 100000000"},
      {"point o>t", 11, "x", "Error row 1!! Connection Point O > T must be between 0 and 65535. Default Value 101"},
      {"header lower case", 12, "default", nullptr},
      {"header blanks", 12, " DEFAULT ", nullptr},
      {"header 7", 12, "7", nullptr},
      {"header 8", 12, "8", "Error row 1!! Dimension Header T > O must be between 0 and 7. Default Value 0"},
      {"header empty", 13, "", "Error row 1!! Dimension Header O > T must be between 0 and 7. Default Value 4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConnectionsEditor e;
    fill(e.grid(), 1, validConnection());
    if (c.column != 0) e.grid().setCell(1, c.column, c.value);
    if (c.expected)
      EXPECT_EQ(e.validate(texts), c.expected);
    else
      EXPECT_EQ(e.validate(texts), std::nullopt);
  }

  ConnectionsEditor e;
  fill(e.grid(), 1, validConnection("700"));
  fill(e.grid(), 2, validConnection("739"));
  EXPECT_EQ(e.validate(texts), "Error!! The Total Number of Input Bytes must be between 0 and 1438");
  e.grid().setCell(2, 4, "738");
  EXPECT_EQ(e.validate(texts), std::nullopt);
  e.grid().setCell(2, 4, "739");
  e.grid().setCell(2, 1, "N");  // a disabled row counts nothing
  EXPECT_EQ(e.validate(texts), std::nullopt);
}

TEST(ConnectionsEditorTest, WalkEndsAtTheFirstEnabledRowWithoutAddress) {
  const TextTable texts;
  ConnectionsEditor e;
  fill(e.grid(), 1, validConnection());
  e.grid().setCell(2, 1, "N");
  fill(e.grid(), 3, validConnection());
  e.grid().setCell(3, 7, "0");
  EXPECT_EQ(e.validate(texts), "Error row 3!! Poll Time must be between 1 and 100000000");

  e.grid().setCell(2, 1, "y");  // enabled, empty address: the walk ends before row 3
  EXPECT_EQ(e.validate(texts), std::nullopt);
  e.grid().setCell(2, 1, " Y");  // blank first: disabled for the editor
  EXPECT_NE(e.validate(texts), std::nullopt);
}

TEST(ConnectionsEditorTest, WritesTheExtentAndReadsMissingAttributes) {
  TempDir dir;
  const fs::path file = dir / "EtherNetIP_Master_Rules.xml";
  ConnectionsEditor e;
  e.load(file);
  EXPECT_EQ(e.toXml(), "<EtherNetIP_Master_Access />\n<!--SW_VERSION = 1.005-->\n");

  fill(e.grid(), 1, validConnection());
  e.grid().setCell(1, 14, " described ");
  fill(e.grid(), 3, validConnection());  // after the empty address of row 2: not saved
  e.save(file);
  EXPECT_EQ(readText(file),
            "<EtherNetIP_Master_Access>\n"
            "  <row Enable=\"Y\" IP_Address=\"192.168.0.20\" Start_Input=\"0\" Num_Input=\"8\" Start_Output=\"0\" "
            "Num_Output=\"8\" Time_Poll=\"100\" Instance_T_O=\"1\" Connection_Point_T_O=\"100\" Instance_O_T=\"1\" "
            "Connection_Point_O_T=\"101\" Dim_Header_T_O=\"Default\" Dim_Header_O_T=\"Default\" "
            "Mnemonic=\" described \" />\n"
            "</EtherNetIP_Master_Access>\n"
            "<!--SW_VERSION = 1.005-->\n");

  std::string rows = "<X>";
  for (int i = 0; i < 12; ++i) rows += "<row IP_Address=\"10.0.0." + std::to_string(i) + "\"/>";
  writeText(file, rows + "<!-- a comment is a row too --></X>");
  e.load(file);
  EXPECT_EQ(e.grid().cell(1, 1), "N");  // a missing Enable
  EXPECT_EQ(e.grid().cell(1, 13), "Default");
  EXPECT_EQ(e.grid().cell(1, 14), "");
  EXPECT_EQ(e.grid().cell(10, 2), "10.0.0.9");
  EXPECT_EQ(e.grid().extent(), 10);
}

// ---- CAN frames

TEST(CanFramesEditorTest, ReceiveValidation) {
  const TextTable texts;
  struct Case {
    const char* name;
    std::vector<std::pair<int, const char*>> cells;
    const char* expected;
  };
  const Case cases[] = {
      {"11-bit 2048", {{3, "2.0A (11 bits)"}, {2, "2048"}}, "Error row 1!! CobID must be between 0 and 2047"},
      {"29-bit 2048", {{3, "2.0B (29 bits)"}, {2, "2048"}}, nullptr},
      {"empty type is 29-bit", {{3, ""}, {2, "2048"}}, nullptr},
      {"29-bit top", {{2, "0x1FFFFFFF"}}, nullptr},
      {"29-bit over", {{2, "0x20000000"}}, "Error row 1!! CobID must be between 0x00000000 and 0x1FFFFFFF"},
      {"letters 11-bit", {{3, "2.0A (11 bits)"}, {2, "abc"}}, "Error row 1!! CobID must be between 0 and 2047"},
      {"dim 0", {{4, "0"}}, "Error row 1!! Dimension must be between 1 and 8"},
      {"dim 9", {{4, "9"}}, "Error row 1!! Dimension must be between 1 and 8"},
      {"timeout top", {{5, "100000000"}}, nullptr},
      {"timeout over", {{5, "100000001"}}, "Error row 1!! TimeOut must be between 0 and 100000000 milliseconds"},
      {"timeout empty", {{5, ""}}, "Error row 1!! TimeOut must be between 0 and 100000000 milliseconds"},
      {"beyond length unread", {{4, "2"}, {6, "None"}, {7, "1499"}, {8, "7777"}}, nullptr},
      {"byte2 1500", {{4, "2"}, {7, "1500"}}, "Error row 1!! Byte2 must be between 0 and 1499 or None"},
      {"byte1 word", {{4, "1"}, {6, "none"}}, "Error row 1!! Byte1 must be between 0 and 1499 or None"},
      {"disabled row", {{1, "N"}, {2, "word"}}, nullptr},
      {"enable lower y", {{1, " y"}, {2, "word"}}, "Error row 1!! CobID must be between 0x00000000 and 0x1FFFFFFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CanFramesEditor e(CanFramesEditor::Direction::Receive);
    fill(e.grid(), 1, {{{2, "0x123"}, {4, "8"}, {5, "0"}}});
    fill(e.grid(), 1, {c.cells});
    if (c.expected)
      EXPECT_EQ(e.validate(texts), c.expected);
    else
      EXPECT_EQ(e.validate(texts), std::nullopt);
  }
}

TEST(CanFramesEditorTest, SendValidationLooksAtTimeOnlyOnTimer) {
  const TextTable texts;
  struct Case {
    const char* onTimer;
    const char* time;
    const char* expected;
  };
  const Case cases[] = {
      {"N", "letters", nullptr},
      {"Y", "letters", "Error row 1!! Time must be between 0 and 100000000 milliseconds"},
      {"Y", "", "Error row 1!! Time must be between 0 and 100000000 milliseconds"},
      {"Y", "100000000", nullptr},
      {"Y", "100000001", "Error row 1!! Time must be between 0 and 100000000 milliseconds"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.onTimer) + " " + c.time);
    CanFramesEditor e(CanFramesEditor::Direction::Send);
    fill(e.grid(), 1, {{{2, "1"}, {4, "3"}, {7, c.onTimer}, {8, c.time}, {12, "1500"}}});  // Byte4: beyond Dim
    if (c.expected)
      EXPECT_EQ(e.validate(texts), c.expected);
    else
      EXPECT_EQ(e.validate(texts), std::nullopt);
  }
  CanFramesEditor e(CanFramesEditor::Direction::Send);
  fill(e.grid(), 1, {{{2, "1"}, {4, "3"}, {11, "1500"}}});
  EXPECT_EQ(e.validate(texts), "Error row 1!! Byte3 must be between 0 and 1499 or None");
}

TEST(CanFramesEditorTest, LoadsDefaultsForMissingAttributesAndAtMost512Rows) {
  TempDir dir;
  std::string rows = "<Transmit_Frames>";
  rows += "<row COBID=\"1\" OnCMD=\"Y\"/>";
  rows += "<row COBID=\"2\" OnTimer=\"Y\"/>";
  rows += "<row COBID=\"3\" OnTimer=\"y\" Time=\"\"/>";
  for (int i = 3; i < 600; ++i) rows += "<row COBID=\"" + std::to_string(i + 1) + "\"/>";
  rows += "</Transmit_Frames><!--SW_VERSION = 1.000-->";
  writeText(dir / "CAN_Send_Frames.xml", rows);

  CanFramesEditor send(CanFramesEditor::Direction::Send);
  ASSERT_EQ(send.load(dir / "CAN_Send_Frames.xml").status, LoadResult::Status::Loaded);
  const Grid& g = send.grid();
  EXPECT_EQ(g.copyRow(1), (std::vector<std::string>{"Y", "1", "2.0A (11 bits)", "", "Y", "N", "N", "", "", "", "", "",
                                                    "", "", "", "", ""}));
  EXPECT_EQ(g.cell(2, 8), "0");  // OnTimer exactly "Y" and no Time
  EXPECT_EQ(g.cell(3, 8), "");
  EXPECT_EQ(g.cell(512, 2), "512");
  EXPECT_EQ(g.extent(), 512);
  const std::string xml = send.toXml();
  EXPECT_EQ(xml.find("OnCMD=\"Y\""), std::string::npos);
  EXPECT_NE(xml.find("<row Enable=\"Y\" COBID=\"1\" CAN_Type=\"2.0A (11 bits)\" Dim=\"\" OnChange=\"Y\" OnCMD=\"N\" "
                     "OnTimer=\"N\" Time=\"\" Byte1=\"\""),
            std::string::npos);

  writeText(dir / "CAN_Rec_Frames.xml", "<R><row COBID=\"5\"/></R>");
  CanFramesEditor receive(CanFramesEditor::Direction::Receive);
  receive.load(dir / "CAN_Rec_Frames.xml");
  EXPECT_EQ(receive.grid().copyRow(1),
            (std::vector<std::string>{"Y", "5", "", "", "0", "", "", "", "", "", "", "", "", ""}));
  EXPECT_EQ(receive.grid().copyRow(2),
            (std::vector<std::string>{"Y", "", "", "", "", "", "", "", "", "", "", "", "", ""}));
}

// ---- Framework behaviour shared by every editor

TEST(EditorModelTest, MalformedFileShowsDefaultsAndIsKeptAsBakOnSave) {
  TempDir dir;
  const fs::path file = dir / "CAN_Rec_Frames.xml";
  const std::string damaged = "<Receive_Frames><row COBID=\"1\"></Receive_Frames>";
  writeText(file, damaged);
  CanFramesEditor e(CanFramesEditor::Direction::Receive);
  const LoadResult r = e.load(file);
  EXPECT_EQ(r.status, LoadResult::Status::Malformed);
  EXPECT_NE(r.error.find("line 1, column"), std::string::npos);
  EXPECT_EQ(e.grid().cell(1, 2), "");
  EXPECT_EQ(readText(file), damaged);  // untouched until saved

  e.save(file);
  EXPECT_EQ(readText(dir / "CAN_Rec_Frames.xml.bak"), damaged);
  EXPECT_EQ(readText(file), "<Receive_Frames />\n<!--SW_VERSION = 1.000-->\n");
  // Saved once, the file is sound again: a later save keeps no further copy.
  fs::remove(dir / "CAN_Rec_Frames.xml.bak");
  e.save(file);
  EXPECT_FALSE(fs::exists(dir / "CAN_Rec_Frames.xml.bak"));
}

TEST(EditorModelTest, DropQuestionAndCheckWarnings) {
  const TextTable texts;
  CanFramesEditor e(CanFramesEditor::Direction::Receive);
  fill(e.grid(), 1, {{{1, " y"}, {2, "1"}, {4, "1"}, {5, "0"}}});
  EXPECT_EQ(e.dropQuestion(texts), std::nullopt);
  e.grid().setCell(5, 14, "note");
  EXPECT_EQ(e.dropQuestion(texts), texts.message("RowsWouldBeDropped", {"5"}));
  const std::vector<std::string> w = e.warnings();
  ASSERT_EQ(w.size(), 2u);
  EXPECT_NE(w[0].find("row 5"), std::string::npos);
  EXPECT_EQ(w[1], "row 1: Enable \" y\" is enabled for the editor but disabled for the image compiler");

  ConnectionsEditor c;
  fill(c.grid(), 1, validConnection());
  c.grid().setCell(1, 1, " Y");
  ASSERT_EQ(c.warnings().size(), 1u);
  EXPECT_EQ(c.warnings()[0], "row 1: Enable \" Y\" is disabled for the editor but enabled for the image compiler");
}

TEST(EditorModelTest, EveryWrittenFileLoadsBackIntoTheSameCells) {
  TempDir dir;
  for (auto& model : makeEditorModels()) {
    auto* table = dynamic_cast<TableEditor*>(model.get());
    if (!table) continue;
    SCOPED_TRACE(table->fileName());
    Grid& g = table->grid();
    for (int r = 1; r <= 3; ++r)
      for (int c = 2; c < g.columnCount(); ++c)
        g.setCell(r, c, g.column(c).hidden ? "N" : " <&\"'> " + std::to_string(r * 100 + c));
    const fs::path file = dir / table->fileName();
    table->save(file);
    std::vector<std::vector<std::string>> before;
    for (int r = 1; r <= 3; ++r) before.push_back(g.copyRow(r));
    table->load(file);
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(g.copyRow(r), before[static_cast<size_t>(r - 1)]);
  }
}

}  // namespace
}  // namespace konfex::test

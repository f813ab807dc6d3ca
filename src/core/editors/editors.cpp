#include "core/editors/editors.h"

#include "core/editors/number_text.h"
#include "core/io/text.h"
#include "core/io/xml.h"

namespace konfex {

namespace fs = std::filesystem;

namespace {

bool inRange(std::string_view text, int32_t low, int32_t high) {
  const int32_t value = intTextOr(text, -1);
  return value >= low && value <= high;
}

// "Error row " + row + rule: the form of every table message.
std::string rowMessage(const TextTable& texts, int start, int row, int rule) {
  return texts[start] + std::to_string(row) + texts[rule];
}

// ---- ParGen.xml

struct ParGenElement {
  const char* name;
  const char* fallback;
};
constexpr std::array<ParGenElement, 12> kByteElements = {{{"EtherNetIP_Master_IP1", "192"},
                                                          {"EtherNetIP_Master_IP2", "168"},
                                                          {"EtherNetIP_Master_IP3", "0"},
                                                          {"EtherNetIP_Master_IP4", "5"},
                                                          {"EtherNetIP_Master_SM1", "255"},
                                                          {"EtherNetIP_Master_SM2", "255"},
                                                          {"EtherNetIP_Master_SM3", "255"},
                                                          {"EtherNetIP_Master_SM4", "0"},
                                                          {"EtherNetIP_Master_GAT1", "192"},
                                                          {"EtherNetIP_Master_GAT2", "168"},
                                                          {"EtherNetIP_Master_GAT3", "0"},
                                                          {"EtherNetIP_Master_GAT4", "1"}}};

// ---- The three tables

ColumnLayout column(const char* attribute, int header, int hint, ColumnKind kind, Items items = Items::None,
                    std::string_view missing = {}) {
  ColumnLayout c;
  c.attribute = attribute;
  c.header = header;
  c.hint = hint;
  c.kind = kind;
  c.items = items;
  c.missing = missing;
  return c;
}
ColumnLayout numbering(int header) {
  return column(nullptr, header, -1, ColumnKind::Numbering);
}
ColumnLayout check(const char* attribute, int header, int hint, std::string_view missing) {
  return column(attribute, header, hint, ColumnKind::CheckBox, Items::None, missing);
}
ColumnLayout text(const char* attribute, int header, int hint, std::string_view missing = {}) {
  return column(attribute, header, hint, ColumnKind::FreeText, Items::None, missing);
}
ColumnLayout list(const char* attribute, int header, int hint, ColumnKind kind, Items items,
                  std::string_view missing = {}) {
  return column(attribute, header, hint, kind, items, missing);
}

constexpr std::array<const char*, 8> kByteAttributes = {"Byte1", "Byte2", "Byte3", "Byte4",
                                                        "Byte5", "Byte6", "Byte7", "Byte8"};

void addByteColumns(std::vector<ColumnLayout>& columns, int firstHeader, int firstHint) {
  for (int k = 0; k < 8; ++k)
    columns.push_back(list(kByteAttributes[static_cast<size_t>(k)], firstHeader + k, firstHint + k,
                           ColumnKind::DropDown, Items::BytePositions));
}

TableLayout makeConnectionsLayout() {
  return {"EtherNetIP_Master_Rules.xml",
          "EtherNetIP_Master_Access",
          "SW_VERSION = 1.005",
          10,
          {numbering(814), check("Enable", 815, 823, "N"), text("IP_Address", 816, 824), text("Start_Input", 817, 825),
           text("Num_Input", 818, 826), text("Start_Output", 819, 827), text("Num_Output", 820, 828),
           text("Time_Poll", 821, 829), text("Instance_T_O", 841, 843), text("Connection_Point_T_O", 847, 849),
           text("Instance_O_T", 842, 844), text("Connection_Point_O_T", 848, 850),
           list("Dim_Header_T_O", 853, 855, ColumnKind::ComboEdit, Items::DimHeader, "Default"),
           list("Dim_Header_O_T", 854, 856, ColumnKind::ComboEdit, Items::DimHeader, "Default"),
           text("Mnemonic", 822, 830)},
          840,
          DataHint::OwnText};
}

TableLayout makeReceiveLayout() {
  std::vector<ColumnLayout> columns = {
      numbering(1408),           check("Enable", 1409, 1429, "Y"),
      text("COBID", 1410, 1430), list("CAN_Type", 1411, 1431, ColumnKind::DropDown, Items::CanType),
      text("Dim", 1412, 1432),   text("TimeOut", 1413, 1434, "0")};
  addByteColumns(columns, 1414, 1435);
  columns.push_back(text("Mnemonic", 1422, 1443));
  return {"CAN_Rec_Frames.xml", "Receive_Frames", "SW_VERSION = 1.000", 512, std::move(columns), 1458, DataHint::Empty};
}

TableLayout makeSendLayout() {
  ColumnLayout onCmd = check("OnCMD", 1362, 1363, {});
  onCmd.hidden = true;
  onCmd.fixed = "N";
  ColumnLayout time = text("Time", 1315, 1337);
  time.missingRule = Missing::ZeroWhenOnTimerY;
  std::vector<ColumnLayout> columns = {
      numbering(1308),
      check("Enable", 1309, 1331, "Y"),
      text("COBID", 1310, 1332),
      list("CAN_Type", 1311, 1333, ColumnKind::DropDown, Items::CanType, "2.0A (11 bits)"),
      text("Dim", 1312, 1334),
      check("OnChange", 1313, 1335, "Y"),
      onCmd,
      check("OnTimer", 1314, 1336, "N"),
      time};
  addByteColumns(columns, 1316, 1338);
  columns.push_back(text("Mnemonic", 1324, 1346));
  return {"CAN_Send_Frames.xml", "Transmit_Frames", "SW_VERSION = 1.000", 512, std::move(columns), 1361,
          DataHint::Empty};
}

}  // namespace

const TableLayout& connectionsLayout() {
  static const TableLayout layout = makeConnectionsLayout();
  return layout;
}
const TableLayout& receiveFramesLayout() {
  static const TableLayout layout = makeReceiveLayout();
  return layout;
}
const TableLayout& sendFramesLayout() {
  static const TableLayout layout = makeSendLayout();
  return layout;
}

// ---- ParGenModel

void ParGenModel::reset() {
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = kByteElements[i].fallback;
  gatewayEnabled = false;
  bitRateIndex = 9;
}

void ParGenModel::read(const std::string& xmlText, const fs::path& file) {
  pugi::xml_document doc;
  loadXmlText(doc, xmlText, file, XmlText::KeepBlankText);
  const pugi::xml_node root = firstTopLevelNode(doc);
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = childText(root, kByteElements[i].name).value_or(kByteElements[i].fallback);
  gatewayEnabled = childText(root, "EtherNetIP_Master_EN_GAT") == "1";
  const auto rate = childText(root, "CAN_BAUDRATE");
  const int32_t index = rate ? intTextOr(*rate, 9) : 9;
  bitRateIndex = index >= 0 && index <= 9 ? index : -1;
}

std::optional<std::string> ParGenModel::validate(const TextTable& texts) const {
  // IP bytes report 450..453, mask bytes 454..457, gateway bytes 458..461 (only when the box is checked).
  const size_t checked = gatewayEnabled ? 12 : 8;
  for (size_t i = 0; i < checked; ++i)
    if (!inRange(bytes[i], 0, 255)) return texts[450 + static_cast<int>(i)];
  return std::nullopt;
}

std::string ParGenModel::toXml() const {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("Par_Gen");
  doc.append_child(pugi::node_comment).set_value("SW_VERSION = 1.000");
  for (size_t i = 0; i < bytes.size(); ++i) root.append_child(kByteElements[i].name).text().set(bytes[i].c_str());
  root.append_child("EtherNetIP_Master_EN_GAT").text().set(gatewayEnabled ? "1" : "0");
  root.append_child("EtherNetIP_Master_Port").text().set(std::string(kPort).c_str());
  root.append_child("CAN_BAUDRATE").text().set(std::to_string(bitRateIndex).c_str());
  return xmlToString(doc);
}

// ---- ConnectionsEditor

ConnectionsEditor::ConnectionsEditor() : TableEditor(connectionsLayout()) {}

bool ConnectionsEditor::editorSeesEnabled(const std::string& enable) const {
  return toUpperAscii(enable) == "Y";
}
bool ConnectionsEditor::compilerSeesEnabled(const std::string& enable) const {
  return toUpperAscii(trim(enable)) == "Y";
}

std::optional<std::string> ConnectionsEditor::validate(const TextTable& texts) const {
  struct Rule {
    int column;
    int32_t low, high;
    int entry;
  };
  static constexpr Rule kRules[] = {
      {kStartInput, 0, 65535, 833},  {kNumInput, 0, 65535, 834},     {kStartOutput, 0, 65535, 835},
      {kNumOutput, 0, 65535, 836},   {kTimePoll, 1, 100000000, 837}, {kInstanceTO, 0, 65535, 845},
      {kConnPointTO, 0, 65535, 851}, {kInstanceOT, 0, 65535, 846},   {kConnPointOT, 0, 65535, 852}};
  const auto headerOk = [](const std::string& cell) {
    return toUpperAscii(trim(cell)) == "DEFAULT" || inRange(cell, 0, 7);
  };
  int64_t inputSum = 0;
  int64_t outputSum = 0;
  for (int r = 1; r <= grid_.rowCount(); ++r) {
    if (!editorSeesEnabled(grid_.cell(r, kEnable))) continue;
    if (trim(grid_.cell(r, kIpAddress)).empty()) break;
    if (!splitIpText(grid_.cell(r, kIpAddress)).valid) return rowMessage(texts, 831, r, 832);
    for (const Rule& rule : kRules) {
      const std::string& cell = grid_.cell(r, rule.column);
      if (!inRange(cell, rule.low, rule.high)) return rowMessage(texts, 831, r, rule.entry);
      if (rule.column == kNumInput) inputSum += intTextOr(cell, 0);
      if (rule.column == kNumOutput) outputSum += intTextOr(cell, 0);
    }
    if (!headerOk(grid_.cell(r, kDimHeaderTO))) return rowMessage(texts, 831, r, 857);
    if (!headerOk(grid_.cell(r, kDimHeaderOT))) return rowMessage(texts, 831, r, 858);
  }
  if (inputSum > kMaxBytes) return texts[838] + std::to_string(kMaxBytes);
  if (outputSum > kMaxBytes) return texts[839] + std::to_string(kMaxBytes);
  return std::nullopt;
}

// ---- CanFramesEditor

CanFramesEditor::CanFramesEditor(Direction direction)
    : TableEditor(direction == Direction::Receive ? receiveFramesLayout() : sendFramesLayout()),
      direction_(direction),
      firstByteColumn_(direction == Direction::Receive ? 6 : 9) {}

bool CanFramesEditor::editorSeesEnabled(const std::string& enable) const {
  return toUpperAscii(trim(enable)) == "Y";
}
bool CanFramesEditor::compilerSeesEnabled(const std::string& enable) const {
  return enable == "Y";
}

std::optional<std::string> CanFramesEditor::validate(const TextTable& texts) const {
  const bool receive = direction_ == Direction::Receive;
  const int start = receive ? 1444 : 1347;
  // Entries of the rules; the byte rules skip the "or None" entry that sits between byte 1 and byte 2.
  const int cob11 = start + 1, cob29 = start + 2, dim = start + 3, timing = start + 4, byte1 = start + 5;
  const int orNone = start + 6;
  const int rows = grid_.extent();
  for (int r = 1; r <= rows; ++r) {
    if (!editorSeesEnabled(grid_.cell(r, 1))) continue;
    const bool standard = trim(grid_.cell(r, kType)) == "2.0A (11 bits)";
    if (!inRange(grid_.cell(r, kCobId), 0, standard ? 2047 : 0x1FFFFFFF))
      return rowMessage(texts, start, r, standard ? cob11 : cob29);
    const int32_t length = intTextOr(grid_.cell(r, kDim), -1);
    if (length < 1 || length > 8) return rowMessage(texts, start, r, dim);
    if (receive) {
      if (!inRange(grid_.cell(r, 5), 0, 100000000)) return rowMessage(texts, start, r, timing);
    } else if (toUpperAscii(trim(grid_.cell(r, 7))) == "Y") {
      if (!inRange(grid_.cell(r, 8), 0, 100000000)) return rowMessage(texts, start, r, timing);
    }
    for (int k = 1; k <= length; ++k) {
      const std::string_view cell = trim(grid_.cell(r, byteColumn(k)));
      if (cell.empty() || cell == "None") continue;
      if (!inRange(grid_.cell(r, byteColumn(k)), 0, kMaxByte - 1))
        return rowMessage(texts, start, r, k == 1 ? byte1 : orNone + k - 1) + std::to_string(kMaxByte - 1) +
               texts[orNone];
    }
  }
  return std::nullopt;
}

}  // namespace konfex

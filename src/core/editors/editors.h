// The four editors of a configuration: communication parameters, adapter connections, CAN receive frames
// and CAN send frames. Each adds its fields or column layouts and its validation rules to the framework.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/editors/table_editor.h"

namespace konfex {

// ParGen.xml: the gateway's own address, mask, default gateway and the CAN bit rate.
class ParGenModel final : public EditorModel {
 public:
  static constexpr const char* kFileName = "ParGen.xml";
  static constexpr std::array<std::string_view, 10> kBitRates = {"10K",  "20K",  "50K",  "62.5K", "100K",
                                                                 "125K", "250K", "500K", "800K",  "1000K"};
  static constexpr std::string_view kPort = "44818";

  // The twelve byte fields in the order of the point-key walk: IP1..IP4, SM1..SM4, GAT1..GAT4.
  std::array<std::string, 12> bytes;
  bool gatewayEnabled = false;
  int bitRateIndex = 9;  // -1: no item selected

  const char* fileName() const override { return kFileName; }
  std::optional<std::string> validate(const TextTable& texts) const override;
  std::string toXml() const override;

 protected:
  void reset() override;
  void read(const std::string& xmlText, const std::filesystem::path& file) override;
};

// EtherNetIP_Master_Rules.xml: up to 10 adapter connections.
class ConnectionsEditor final : public TableEditor {
 public:
  // Columns of the connection table.
  enum Column {
    kEnable = 1,
    kIpAddress,
    kStartInput,
    kNumInput,
    kStartOutput,
    kNumOutput,
    kTimePoll,
    kInstanceTO,
    kConnPointTO,
    kInstanceOT,
    kConnPointOT,
    kDimHeaderTO,
    kDimHeaderOT,
    kMnemonic,
  };
  static constexpr int kMaxBytes = 1438;  // Num_Byte_In and Num_Byte_Out

  ConnectionsEditor();
  std::optional<std::string> validate(const TextTable& texts) const override;

 protected:
  bool compilerSeesEnabled(const std::string& enable) const override;
  bool editorSeesEnabled(const std::string& enable) const override;
};

// CAN_Rec_Frames.xml and CAN_Send_Frames.xml: up to 512 frames each.
class CanFramesEditor final : public TableEditor {
 public:
  enum class Direction { Receive, Send };
  static constexpr int kMaxByte = 1500;  // MAX_Byte: positions 0 to 1499

  explicit CanFramesEditor(Direction direction);
  Direction direction() const { return direction_; }
  // Column of data byte k (1..8) and the other columns that differ between the two tables.
  int byteColumn(int k) const { return firstByteColumn_ + k - 1; }
  static constexpr int kCobId = 2;
  static constexpr int kType = 3;
  static constexpr int kDim = 4;

  std::optional<std::string> validate(const TextTable& texts) const override;

 protected:
  bool compilerSeesEnabled(const std::string& enable) const override;
  bool editorSeesEnabled(const std::string& enable) const override;

 private:
  Direction direction_;
  int firstByteColumn_;
};

const TableLayout& connectionsLayout();
const TableLayout& receiveFramesLayout();
const TableLayout& sendFramesLayout();

}  // namespace konfex

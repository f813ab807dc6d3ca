#include "core/image/bank_image.h"

#include <memory>
#include <string_view>
#include <system_error>

#include "core/editors/number_text.h"
#include "core/io/files.h"
#include "core/io/text.h"
#include "core/io/xml.h"

namespace konfex {

namespace fs = std::filesystem;

namespace {

void put16(std::span<uint8_t> out, size_t offset, uint16_t value) {
  out[offset] = static_cast<uint8_t>(value);
  out[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void put32(std::span<uint8_t> out, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) out[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The attributes of one row, looked up in the order the editors write them: each lookup starts where the
// last one ended, so reading a row costs one pass over its attributes instead of one per attribute.
class RowReader {
 public:
  explicit RowReader(pugi::xml_node row) : row_(row) {}
  std::optional<std::string_view> text(const char* name) {
    const pugi::xml_attribute a = row_.attribute(name, hint_);
    if (!a) return std::nullopt;
    return std::string_view(a.value());
  }

 private:
  pugi::xml_node row_;
  pugi::xml_attribute hint_;
};

// Number of an attribute by the integer text rule, its low bits kept; the default when absent or invalid.
uint32_t attrNumber(RowReader& row, const char* name, uint32_t fallback) {
  const auto text = row.text(name);
  if (!text) return fallback;
  const auto value = parseIntText(*text);
  return value ? static_cast<uint32_t>(*value) : fallback;
}

uint16_t attr16(RowReader& row, const char* name, uint16_t fallback) {
  return static_cast<uint16_t>(attrNumber(row, name, fallback));
}

bool attrIsExactlyY(RowReader& row, const char* name) {
  return row.text(name) == "Y";
}

// Parses a project file's text when the file exists; false when there is none.
bool loadIfPresent(pugi::xml_document& doc, const std::optional<std::string>& text, const fs::path& file,
                   XmlText mode) {
  if (!text) return false;
  loadXmlText(doc, *text, file, mode);
  return true;
}

std::optional<std::string> readIfPresent(const fs::path& file) {
  std::error_code ec;
  if (file.empty() || !fs::exists(file, ec)) return std::nullopt;
  return readFile(file);
}

constexpr std::array<uint32_t, 10> kBitRates = {10000,  20000,  50000,  62500,  100000,
                                                125000, 250000, 500000, 800000, 1000000};

class Compiler {
 public:
  Compiler(const ProjectTexts& texts, const ProjectPaths& paths) : texts_(texts), paths_(paths) {}

  CompileResult run() {
    initParGen();
    readParGen();
    readConnections();
    result_.frameRecords = readFrames();
    put32(block_, block::kFrameCount, result_.frameRecords);
    put32(block_, block::kConnectionTableAddress, kConnectionTableDeviceAddress);
    put32(block_, block::kFrameTableAddress, kFrameTableDeviceAddress);
    serialise();
    return result_;
  }

 private:
  void initParGen() {
    block_.fill(0);
    put32(block_, block::kBitRate, 250000);
    put32(block_, 0x00C, 9600);
    const std::array<uint8_t, 12> network = {192, 168, 2, 205, 255, 255, 255, 0, 255, 255, 255, 255};
    std::copy(network.begin(), network.end(), block_.begin() + block::kAddress);
    put16(block_, 0x034, 10000);
    put16(block_, 0x036, 10001);
    put16(block_, 0x038, 10001);
    put32(block_, 0x03C, 9600);
  }

  void readParGen() {
    pugi::xml_document doc;
    if (!loadIfPresent(doc, texts_.parGen, paths_.parGen, XmlText::KeepBlankText)) return;
    const pugi::xml_node root = firstTopLevelNode(doc);
    struct Field {
      const char* element;
      int32_t fallback;
    };
    static constexpr std::array<Field, 12> kFields = {{{"EtherNetIP_Master_IP1", 192},
                                                       {"EtherNetIP_Master_IP2", 168},
                                                       {"EtherNetIP_Master_IP3", 0},
                                                       {"EtherNetIP_Master_IP4", 5},
                                                       {"EtherNetIP_Master_SM1", 255},
                                                       {"EtherNetIP_Master_SM2", 255},
                                                       {"EtherNetIP_Master_SM3", 255},
                                                       {"EtherNetIP_Master_SM4", 0},
                                                       {"EtherNetIP_Master_GAT1", 192},
                                                       {"EtherNetIP_Master_GAT2", 168},
                                                       {"EtherNetIP_Master_GAT3", 0},
                                                       {"EtherNetIP_Master_GAT4", 1}}};
    const bool gatewayOn = childText(root, "EtherNetIP_Master_EN_GAT") == "1";
    for (size_t i = 0; i < kFields.size(); ++i) {
      const auto text = childText(root, kFields[i].element);
      uint8_t value = static_cast<uint8_t>(text ? intTextOr(*text, kFields[i].fallback) : kFields[i].fallback);
      if (i >= 8 && !gatewayOn) value = 255;  // 255.255.255.255: no default gateway
      block_[block::kAddress + i] = value;
      block_[block::kAddressCopy + i] = value;
    }
    const auto rateText = childText(root, "CAN_BAUDRATE");
    const int32_t rateIndex = rateText ? intTextOr(*rateText, 9) : 9;
    put32(block_, block::kBitRate,
          rateIndex >= 0 && rateIndex <= 9 ? kBitRates[static_cast<size_t>(rateIndex)] : 1000000);
  }

  void readConnections() {
    pugi::xml_document doc;
    uint32_t inputTotal = 0;
    uint32_t outputTotal = 0;
    uint32_t count = 0;
    if (loadIfPresent(doc, texts_.connections, paths_.connections, XmlText::DropBlankText)) {
      for (const pugi::xml_node node : firstTopLevelNode(doc).children()) {
        RowReader row(node);
        const auto enable = row.text("Enable");
        if (!enable || toUpperAscii(trim(*enable)) != "Y") continue;
        if (count == kConnectionRecordCount) {
          ++result_.ignoredConnectionRows;
          continue;
        }
        ConnectionRecord& r = connections_[count];
        r = {};
        if (const auto ip = row.text("IP_Address")) {
          r.ip = ipTextToBytes(*ip).bytes;
        } else {
          r.ip = {255, 255, 255, 255};
        }
        r.startInput = attr16(row, "Start_Input", 0);
        r.numInput = attr16(row, "Num_Input", 0);
        r.inputOffset = static_cast<uint16_t>(inputTotal);
        r.startOutput = attr16(row, "Start_Output", 0);
        r.numOutput = attr16(row, "Num_Output", 0);
        r.outputOffset = static_cast<uint16_t>(outputTotal);
        r.pollTime = attrNumber(row, "Time_Poll", 1000);
        r.instanceTO = attr16(row, "Instance_T_O", 1);
        r.connPointTO = attr16(row, "Connection_Point_T_O", 100);
        r.instanceOT = attr16(row, "Instance_O_T", 1);
        r.connPointOT = attr16(row, "Connection_Point_O_T", 101);
        r.headerSizes = headerCode(row, "Dim_Header_T_O", 0) | (headerCode(row, "Dim_Header_O_T", 4) << 3);
        inputTotal += r.numInput;
        outputTotal += r.numOutput;
        ++count;
      }
    }
    put32(block_, block::kConnectionCount, count);
    put32(block_, block::kInputTotal, inputTotal);
    put32(block_, block::kOutputTotal, outputTotal);
    result_.connectionRecords = count;
    result_.inputTotal = inputTotal;
    result_.outputTotal = outputTotal;
  }

  // "Default" (any letter case) gives the direction's default code; target to originator also takes 0
  // for an invalid text, originator to target 4.
  static uint32_t headerCode(RowReader& row, const char* name, uint32_t defaultCode) {
    const std::string_view text = row.text(name).value_or("Default");
    if (toUpperAscii(text) == "DEFAULT") return defaultCode;
    const auto value = parseIntText(text);
    return value ? static_cast<uint32_t>(*value) & 7u : defaultCode;
  }

  uint32_t readFrames() {
    uint32_t count = 0;
    for (const bool send : {false, true}) {
      pugi::xml_document doc;
      if (!loadIfPresent(doc, send ? texts_.sendFrames : texts_.receiveFrames,
                         send ? paths_.sendFrames : paths_.receiveFrames, XmlText::DropBlankText))
        continue;
      uint16_t fileRow = 0;
      for (const pugi::xml_node node : firstTopLevelNode(doc).children()) {
        if (fileRow < UINT16_MAX) ++fileRow;
        RowReader row(node);
        const auto enable = row.text("Enable");
        if (enable && *enable != "Y") continue;
        if (count == kFrameRecordCount) {
          ++result_.ignoredFrameRows;
          continue;
        }
        result_.frameOrigins[count] = {send, fileRow};
        frames_[count++] = readFrame(row, send);
      }
    }
    return count;
  }

  static FrameRecord readFrame(RowReader& row, bool send) {
    FrameRecord f;
    f.identifier = attrNumber(row, "COBID", 0);
    if (const auto type = row.text("CAN_Type"); type && trim(*type) == "2.0B (29 bits)")
      f.identifier |= kExtendedIdentifier;
    f.length = static_cast<uint8_t>(attrNumber(row, "Dim", 8));
    if (send) {
      f.sendFlags = kSendFrame;
      if (attrIsExactlyY(row, "OnChange")) f.sendFlags |= kSendOnChange;
      if (attrIsExactlyY(row, "OnTimer")) f.sendFlags |= kSendOnTimer;
      f.period = attrNumber(row, "Time", 0);
    } else {
      f.timeout = attrNumber(row, "TimeOut", 0);
    }
    static constexpr std::array<const char*, 8> kBytes = {"Byte1", "Byte2", "Byte3", "Byte4",
                                                          "Byte5", "Byte6", "Byte7", "Byte8"};
    for (size_t k = 0; k < kBytes.size(); ++k) {
      // Positions past the data length are unused whatever the file names.
      f.positions[k] = f.length < k + 1 ? kNoPosition : attr16(row, kBytes[k], kNoPosition);
    }
    return f;
  }

  void serialise() {
    std::span<uint8_t> image(result_.image);
    for (size_t n = 0; n < kFrameRecordCount; ++n)
      putFrame(image.subspan(kFrameTableOffset + n * kRecordSize).first<kRecordSize>(), frames_[n]);
    result_.checksum = paramBlockChecksum(block_);
    put32(block_, block::kChecksum, result_.checksum);
    std::copy(block_.begin(), block_.end(), image.begin() + kParamBlockOffset);
    for (size_t n = 0; n < kConnectionRecordCount; ++n)
      putConnection(image.subspan(kConnectionTableOffset + n * kRecordSize).first<kRecordSize>(), connections_[n]);
  }

  const ProjectTexts& texts_;
  const ProjectPaths& paths_;
  ParamBlock block_{};
  std::array<ConnectionRecord, kConnectionRecordCount> connections_{};
  std::array<FrameRecord, kFrameRecordCount> frames_{};
  CompileResult result_{};
};

}  // namespace

ProjectTexts readProjectFiles(const ProjectPaths& paths) {
  return {readIfPresent(paths.parGen), readIfPresent(paths.connections), readIfPresent(paths.receiveFrames),
          readIfPresent(paths.sendFrames)};
}

CompileResult compileImage(const ProjectTexts& texts, const ProjectPaths& paths) {
  // The compiler's tables are large; keep them off the caller's stack.
  const auto compiler = std::make_unique<Compiler>(texts, paths);
  return compiler->run();
}

CompileResult compileImage(const ProjectPaths& paths) {
  return compileImage(readProjectFiles(paths), paths);
}

void writeImage(const fs::path& file, const Image& image) {
  writeFileAtomically(file, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
}

uint32_t paramBlockChecksum(std::span<const uint8_t, kParamBlockSize> blockBytes) {
  uint32_t sum = 0;
  for (size_t i = 0; i < block::kChecksum; ++i) sum += blockBytes[i];
  return sum;
}

uint32_t readU32(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<uint32_t>(bytes[offset + 2]) << 16) | (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

uint16_t readU16(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

void putConnection(std::span<uint8_t, kRecordSize> out, const ConnectionRecord& r) {
  std::copy(r.ip.begin(), r.ip.end(), out.begin());
  const std::array<uint16_t, 10> words = {r.startInput,   r.numInput,   r.inputOffset, r.startOutput, r.numOutput,
                                          r.outputOffset, r.instanceTO, r.connPointTO, r.instanceOT,  r.connPointOT};
  for (size_t i = 0; i < words.size(); ++i) put16(out, 4 + 2 * i, words[i]);
  put32(out, 24, r.pollTime);
  put32(out, 28, r.headerSizes);
}

ConnectionRecord getConnection(std::span<const uint8_t, kRecordSize> in) {
  ConnectionRecord r;
  std::copy(in.begin(), in.begin() + 4, r.ip.begin());
  std::array<uint16_t*, 10> words = {&r.startInput,   &r.numInput,   &r.inputOffset, &r.startOutput, &r.numOutput,
                                     &r.outputOffset, &r.instanceTO, &r.connPointTO, &r.instanceOT,  &r.connPointOT};
  for (size_t i = 0; i < words.size(); ++i) *words[i] = readU16(in, 4 + 2 * i);
  r.pollTime = readU32(in, 24);
  r.headerSizes = readU32(in, 28);
  return r;
}

void putFrame(std::span<uint8_t, kRecordSize> out, const FrameRecord& f) {
  put32(out, 0, f.identifier);
  put32(out, 4, f.period);
  put32(out, 8, f.timeout);
  out[12] = f.reserved12;
  out[13] = f.sendFlags;
  out[14] = f.length;
  out[15] = f.reserved15;
  for (size_t k = 0; k < f.positions.size(); ++k) put16(out, 16 + 2 * k, f.positions[k]);
}

FrameRecord getFrame(std::span<const uint8_t, kRecordSize> in) {
  FrameRecord f;
  f.identifier = readU32(in, 0);
  f.period = readU32(in, 4);
  f.timeout = readU32(in, 8);
  f.reserved12 = in[12];
  f.sendFlags = in[13];
  f.length = in[14];
  f.reserved15 = in[15];
  for (size_t k = 0; k < f.positions.size(); ++k) f.positions[k] = readU16(in, 16 + 2 * k);
  return f;
}

}  // namespace konfex

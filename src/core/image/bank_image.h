// The configuration image bank.bin: 35136 bytes, little-endian, in three regions: the CAN frame table
// (1024 records of 32 bytes), the parameter block (2048 bytes, byte-sum checksum in its last 4 bytes)
// and the adapter connection table (10 records of 32 bytes).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "core/store/configurations.h"

namespace pugi {
class xml_node;
}

namespace konfex {

inline constexpr size_t kImageSize = 35136;
inline constexpr size_t kRecordSize = 32;
inline constexpr size_t kFrameRecordCount = 1024;
inline constexpr size_t kConnectionRecordCount = 10;
inline constexpr size_t kParamBlockSize = 2048;
inline constexpr size_t kFrameTableOffset = 0x0000;
inline constexpr size_t kParamBlockOffset = 0x8000;
inline constexpr size_t kConnectionTableOffset = 0x8800;
inline constexpr uint32_t kFrameTableDeviceAddress = 0x00060000;
inline constexpr uint32_t kConnectionTableDeviceAddress = 0x00068800;

// Offsets within the parameter block of the fields this product writes.
namespace block {
inline constexpr size_t kBitRate = 0x000;
inline constexpr size_t kAddress = 0x028;  // gateway IP, mask, default gateway: 12 bytes
inline constexpr size_t kFrameCount = 0x070;
inline constexpr size_t kInputTotal = 0x074;
inline constexpr size_t kOutputTotal = 0x078;
inline constexpr size_t kFrameTableAddress = 0x0C8;
inline constexpr size_t kAddressCopy = 0x130;  // second copy of the 12 network bytes
inline constexpr size_t kConnectionCount = 0x278;
inline constexpr size_t kConnectionTableAddress = 0x27C;
inline constexpr size_t kChecksum = 0x7FC;
}  // namespace block

using Image = std::array<uint8_t, kImageSize>;
using ParamBlock = std::array<uint8_t, kParamBlockSize>;

struct ConnectionRecord {
  std::array<uint8_t, 4> ip{};
  uint16_t startInput = 0, numInput = 0, inputOffset = 0;
  uint16_t startOutput = 0, numOutput = 0, outputOffset = 0;
  uint16_t instanceTO = 0, connPointTO = 0, instanceOT = 0, connPointOT = 0;
  uint32_t pollTime = 0;
  uint32_t headerSizes = 0;  // bits 0-2 target to originator, bits 3-5 originator to target
};

struct FrameRecord {
  uint32_t identifier = 0;  // bit 31 set for a 29-bit identifier
  uint32_t period = 0;
  uint32_t timeout = 0;
  uint8_t reserved12 = 0;
  uint8_t sendFlags = 0;  // bit 0 send frame, bit 1 on change, bit 2 on timer
  uint8_t length = 0;
  uint8_t reserved15 = 0;
  std::array<uint16_t, 8> positions{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
};

inline constexpr uint8_t kSendFrame = 0x01;
inline constexpr uint8_t kSendOnChange = 0x02;
inline constexpr uint8_t kSendOnTimer = 0x04;
inline constexpr uint16_t kNoPosition = 0xFFFF;
inline constexpr uint32_t kExtendedIdentifier = 0x80000000u;

// Where a frame record came from: the table and the row (1-based child of the root) of its file.
struct FrameOrigin {
  bool send = false;
  uint16_t row = 0;
};

struct CompileResult {
  Image image{};
  // One per frame record in use (frameRecords of them), in record order.
  std::array<FrameOrigin, kFrameRecordCount> frameOrigins{};
  uint32_t frameRecords = 0;
  uint32_t connectionRecords = 0;
  uint32_t inputTotal = 0;
  uint32_t outputTotal = 0;
  uint32_t checksum = 0;
  // Enabled rows that found no free record (beyond the 10th connection or the 1024th frame).
  uint32_t ignoredConnectionRows = 0;
  uint32_t ignoredFrameRows = 0;
};

// The texts of the four project files; nullopt for a file that does not exist.
struct ProjectTexts {
  std::optional<std::string> parGen;
  std::optional<std::string> connections;
  std::optional<std::string> receiveFrames;
  std::optional<std::string> sendFrames;
};
// Throws FileError for a file that exists but cannot be read.
ProjectTexts readProjectFiles(const ProjectPaths& paths);

// Compiles the four project files as they are on disk; a missing file leaves its region at defaults.
// Throws XmlError for a file that is not well-formed XML and FileError for one that cannot be read.
CompileResult compileImage(const ProjectPaths& paths);
// The same from texts already read; the paths only name the files in error messages.
CompileResult compileImage(const ProjectTexts& texts, const ProjectPaths& paths);

// Replaces the file atomically with the image; throws FileError (nothing is written then).
void writeImage(const std::filesystem::path& file, const Image& image);

uint32_t paramBlockChecksum(std::span<const uint8_t, kParamBlockSize> block);

// Record (de)serialisation, shared by the compiler and the image dump.
void putConnection(std::span<uint8_t, kRecordSize> out, const ConnectionRecord& record);
ConnectionRecord getConnection(std::span<const uint8_t, kRecordSize> in);
void putFrame(std::span<uint8_t, kRecordSize> out, const FrameRecord& record);
FrameRecord getFrame(std::span<const uint8_t, kRecordSize> in);

uint32_t readU32(std::span<const uint8_t> bytes, size_t offset);
uint16_t readU16(std::span<const uint8_t> bytes, size_t offset);

}  // namespace konfex

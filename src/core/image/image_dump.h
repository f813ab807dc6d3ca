// Decodes a configuration image back into its fields, for support engineers (konfex-cli dump).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/image/bank_image.h"

namespace konfex {

struct ParamSummary {
  uint32_t bitRate = 0;
  std::array<uint8_t, 12> network{};      // IP, mask, default gateway
  std::array<uint8_t, 12> networkCopy{};  // the second copy
  uint32_t frameCount = 0;
  uint32_t connectionCount = 0;
  uint32_t inputTotal = 0;
  uint32_t outputTotal = 0;
  uint32_t frameTableAddress = 0;
  uint32_t connectionTableAddress = 0;
  uint32_t storedChecksum = 0;
  uint32_t computedChecksum = 0;
};

struct DecodedImage {
  size_t size = 0;
  std::optional<ParamSummary> params;                            // absent when the file is too short to hold the block
  std::vector<std::pair<size_t, ConnectionRecord>> connections;  // records in use, with their index
  std::vector<std::pair<size_t, FrameRecord>> frames;

  bool sizeMatches() const { return size == kImageSize; }
  bool checksumMatches() const { return params && params->storedChecksum == params->computedChecksum; }
  bool intact() const { return sizeMatches() && checksumMatches(); }
};

// Decodes what the bytes hold; a short file yields only the regions it contains completely.
DecodedImage decodeImage(std::span<const uint8_t> bytes);

// "0x0000ABCD"
std::string hex32(uint32_t value);

std::string formatDumpText(const DecodedImage& image);

}  // namespace konfex

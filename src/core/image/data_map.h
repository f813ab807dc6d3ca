// The map of the gateway's 1500-byte data array as a compiled image uses it: which receive frame puts a
// byte at each position, which send frames take it, and the EtherNet/IP areas of each connection. It is
// built from the compiler's own records, so it explains the image (enabled rows only, byte positions
// beyond a frame's data length dropped), not the editors' screens.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/image/bank_image.h"

namespace konfex {

inline constexpr uint16_t kDataArraySize = 1500;

struct ByteUse {
  uint16_t row = 0;         // row of the frame in its file (1-based)
  uint32_t identifier = 0;  // CobID without the 29-bit flag
  bool extended = false;    // 29-bit identifier
  uint8_t byte = 0;         // data byte 1..8 of the frame
};

struct PositionUse {
  uint16_t position = 0;
  std::vector<ByteUse> puts;   // receive frames that put a byte here
  std::vector<ByteUse> takes;  // send frames that take the byte from here
  bool conflict() const { return puts.size() > 1; }
  // Taken by a send frame but put by no receive frame: fed from the EtherNet/IP side, or a mistake.
  bool takenWithoutPut() const { return puts.empty() && !takes.empty(); }
};

struct ConnectionArea {
  uint32_t record = 0;  // 1-based connection record
  std::array<uint8_t, 4> ip{};
  uint16_t inputOffset = 0, numInput = 0;
  uint16_t outputOffset = 0, numOutput = 0;
};

struct DataMap {
  std::vector<PositionUse> positions;  // the positions in use, ascending
  std::vector<uint16_t> conflicts;     // positions put more than once, ascending
  // Byte positions the image names that lie outside the array (only possible from a hand-edited file).
  struct Outside {
    bool send = false;
    uint16_t position = 0;
    ByteUse use;
  };
  std::vector<Outside> outside;
  std::vector<ConnectionArea> connections;
  uint32_t inputTotal = 0, outputTotal = 0;
  uint32_t receiveFrames = 0, sendFrames = 0;
};

DataMap buildDataMap(const CompileResult& compiled);

}  // namespace konfex

#include "core/image/data_map.h"

namespace konfex {

DataMap buildDataMap(const CompileResult& compiled) {
  DataMap map;
  const std::span<const uint8_t> image(compiled.image);
  // Indexed by position while collecting; only the positions in use are kept.
  std::vector<PositionUse> byPosition(kDataArraySize);
  for (uint32_t n = 0; n < compiled.frameRecords; ++n) {
    const FrameRecord f = getFrame(image.subspan(kFrameTableOffset + n * kRecordSize).first<kRecordSize>());
    const FrameOrigin origin = compiled.frameOrigins[n];
    (origin.send ? map.sendFrames : map.receiveFrames) += 1;
    for (uint8_t k = 0; k < 8; ++k) {
      const uint16_t p = f.positions[k];
      if (p == kNoPosition) continue;
      const ByteUse use{origin.row, f.identifier & ~kExtendedIdentifier, (f.identifier & kExtendedIdentifier) != 0,
                        static_cast<uint8_t>(k + 1)};
      if (p >= kDataArraySize) {
        map.outside.push_back({origin.send, p, use});
        continue;
      }
      PositionUse& at = byPosition[p];
      at.position = p;
      (origin.send ? at.takes : at.puts).push_back(use);
    }
  }
  for (PositionUse& at : byPosition) {
    if (at.puts.empty() && at.takes.empty()) continue;
    if (at.conflict()) map.conflicts.push_back(at.position);
    map.positions.push_back(std::move(at));
  }

  const std::span<const uint8_t> block = image.subspan(kParamBlockOffset, kParamBlockSize);
  const uint32_t count = std::min<uint32_t>(readU32(block, block::kConnectionCount), kConnectionRecordCount);
  for (uint32_t n = 0; n < count; ++n) {
    const ConnectionRecord r =
        getConnection(image.subspan(kConnectionTableOffset + n * kRecordSize).first<kRecordSize>());
    map.connections.push_back({n + 1, r.ip, r.inputOffset, r.numInput, r.outputOffset, r.numOutput});
  }
  map.inputTotal = readU32(block, block::kInputTotal);
  map.outputTotal = readU32(block, block::kOutputTotal);
  return map;
}

}  // namespace konfex

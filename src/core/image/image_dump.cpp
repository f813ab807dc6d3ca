#include "core/image/image_dump.h"

#include <algorithm>
#include <cstdio>

#include "core/io/text.h"

namespace konfex {

std::string hex32(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

namespace {

std::string dotted(const uint8_t* b) {
  return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." + std::to_string(b[3]);
}

bool isCleared(const FrameRecord& f) {
  return f.identifier == 0 && f.period == 0 && f.timeout == 0 && f.reserved12 == 0 && f.sendFlags == 0 &&
         f.length == 0 && f.reserved15 == 0 &&
         std::all_of(f.positions.begin(), f.positions.end(), [](uint16_t p) { return p == kNoPosition; });
}

std::string positionText(uint16_t p) {
  return p == kNoPosition ? std::string("-") : std::to_string(p);
}

std::string identifierText(uint32_t id) {
  const bool extended = (id & kExtendedIdentifier) != 0;
  return hex32(id & ~kExtendedIdentifier) + (extended ? " (29-bit)" : " (11-bit)");
}

std::string networkText(const std::array<uint8_t, 12>& n) {
  return "IP " + dotted(&n[0]) + ", mask " + dotted(&n[4]) + ", default gateway " +
         (n[8] == 255 && n[9] == 255 && n[10] == 255 && n[11] == 255 ? std::string("none (255.255.255.255)")
                                                                     : dotted(&n[8]));
}

std::string jsonIp(const uint8_t* b) {
  return jsonString(dotted(b));
}

}  // namespace

DecodedImage decodeImage(std::span<const uint8_t> bytes) {
  DecodedImage out;
  out.size = bytes.size();
  if (bytes.size() >= kParamBlockOffset + kParamBlockSize) {
    const auto block = bytes.subspan(kParamBlockOffset).first<kParamBlockSize>();
    ParamSummary p;
    p.bitRate = readU32(block, block::kBitRate);
    std::copy_n(block.begin() + block::kAddress, 12, p.network.begin());
    std::copy_n(block.begin() + block::kAddressCopy, 12, p.networkCopy.begin());
    p.frameCount = readU32(block, block::kFrameCount);
    p.connectionCount = readU32(block, block::kConnectionCount);
    p.inputTotal = readU32(block, block::kInputTotal);
    p.outputTotal = readU32(block, block::kOutputTotal);
    p.frameTableAddress = readU32(block, block::kFrameTableAddress);
    p.connectionTableAddress = readU32(block, block::kConnectionTableAddress);
    p.storedChecksum = readU32(block, block::kChecksum);
    p.computedChecksum = paramBlockChecksum(block);
    out.params = p;
  }
  if (bytes.size() >= kFrameTableOffset + kFrameRecordCount * kRecordSize) {
    for (size_t n = 0; n < kFrameRecordCount; ++n) {
      const FrameRecord f = getFrame(bytes.subspan(kFrameTableOffset + n * kRecordSize).first<kRecordSize>());
      // The count says which records are in use; without the block, list those that are not cleared.
      const bool inUse = out.params ? n < out.params->frameCount : !isCleared(f);
      if (inUse) out.frames.emplace_back(n, f);
    }
  }
  if (out.params && bytes.size() >= kConnectionTableOffset + kConnectionRecordCount * kRecordSize) {
    const size_t count = std::min<size_t>(out.params->connectionCount, kConnectionRecordCount);
    for (size_t n = 0; n < count; ++n)
      out.connections.emplace_back(
          n, getConnection(bytes.subspan(kConnectionTableOffset + n * kRecordSize).first<kRecordSize>()));
  }
  return out;
}

std::string formatDumpText(const DecodedImage& img) {
  std::string out;
  const auto line = [&out](const std::string& s) { out += s + "\n"; };
  line("Image size: " + std::to_string(img.size) + " bytes" +
       (img.sizeMatches() ? "" : " (expected " + std::to_string(kImageSize) + ")"));
  if (!img.params) {
    line("Parameter block: missing (the file is too short)");
  } else {
    const ParamSummary& p = *img.params;
    line("Parameter block:");
    line("  CAN bit rate: " + std::to_string(p.bitRate) + " bit/s");
    line("  Network: " + networkText(p.network));
    line("  Network copy: " + networkText(p.networkCopy));
    line("  Frame records in use: " + std::to_string(p.frameCount));
    line("  Connection records in use: " + std::to_string(p.connectionCount));
    line("  Input bytes total: " + std::to_string(p.inputTotal));
    line("  Output bytes total: " + std::to_string(p.outputTotal));
    line("  Frame table address: " + hex32(p.frameTableAddress));
    line("  Connection table address: " + hex32(p.connectionTableAddress));
    line("  Checksum: " + std::to_string(p.storedChecksum) + " (" + hex32(p.storedChecksum) + "), computed " +
         std::to_string(p.computedChecksum) + ": " + (img.checksumMatches() ? "matches" : "DOES NOT MATCH"));
  }
  line("Connection records: " + std::to_string(img.connections.size()));
  for (const auto& [n, c] : img.connections) {
    line("  #" + std::to_string(n) + " adapter " + dotted(c.ip.data()) + ": input start " +
         std::to_string(c.startInput) + ", count " + std::to_string(c.numInput) + ", offset " +
         std::to_string(c.inputOffset) + "; output start " + std::to_string(c.startOutput) + ", count " +
         std::to_string(c.numOutput) + ", offset " + std::to_string(c.outputOffset) + "; poll " +
         std::to_string(c.pollTime) + " ms; T>O instance " + std::to_string(c.instanceTO) + ", point " +
         std::to_string(c.connPointTO) + ", header " + std::to_string(c.headerSizes & 7u) + "; O>T instance " +
         std::to_string(c.instanceOT) + ", point " + std::to_string(c.connPointOT) + ", header " +
         std::to_string((c.headerSizes >> 3) & 7u));
  }
  line("Frame records: " + std::to_string(img.frames.size()));
  for (const auto& [n, f] : img.frames) {
    const bool send = (f.sendFlags & kSendFrame) != 0;
    std::string s = "  #" + std::to_string(n) + (send ? " send" : " receive") + " id " + identifierText(f.identifier) +
                    ", length " + std::to_string(f.length);
    if (send) {
      s += ", period " + std::to_string(f.period) + " ms, on change " + ((f.sendFlags & kSendOnChange) ? "yes" : "no") +
           ", on timer " + ((f.sendFlags & kSendOnTimer) ? "yes" : "no");
    } else {
      s += ", timeout " + std::to_string(f.timeout) + " ms";
    }
    s += ", positions";
    for (const uint16_t p : f.positions) s += " " + positionText(p);
    line(s);
  }
  if (!img.sizeMatches()) line("ERROR: the image must be " + std::to_string(kImageSize) + " bytes long");
  if (img.params && !img.checksumMatches()) line("ERROR: the parameter block checksum does not match");
  return out;
}

std::string formatDumpJson(const DecodedImage& img) {
  std::string o = "{\n";
  o += "  \"size\": " + std::to_string(img.size) + ",\n";
  o += "  \"sizeMatches\": " + std::string(img.sizeMatches() ? "true" : "false") + ",\n";
  if (img.params) {
    const ParamSummary& p = *img.params;
    const auto net = [](const std::array<uint8_t, 12>& n) {
      return "{\"ip\": " + jsonIp(&n[0]) + ", \"mask\": " + jsonIp(&n[4]) + ", \"gateway\": " + jsonIp(&n[8]) + "}";
    };
    o += "  \"parameters\": {\n";
    o += "    \"bitRate\": " + std::to_string(p.bitRate) + ",\n";
    o += "    \"network\": " + net(p.network) + ",\n";
    o += "    \"networkCopy\": " + net(p.networkCopy) + ",\n";
    o += "    \"frameCount\": " + std::to_string(p.frameCount) + ",\n";
    o += "    \"connectionCount\": " + std::to_string(p.connectionCount) + ",\n";
    o += "    \"inputTotal\": " + std::to_string(p.inputTotal) + ",\n";
    o += "    \"outputTotal\": " + std::to_string(p.outputTotal) + ",\n";
    o += "    \"frameTableAddress\": " + std::to_string(p.frameTableAddress) + ",\n";
    o += "    \"connectionTableAddress\": " + std::to_string(p.connectionTableAddress) + ",\n";
    o += "    \"checksum\": " + std::to_string(p.storedChecksum) + ",\n";
    o += "    \"computedChecksum\": " + std::to_string(p.computedChecksum) + ",\n";
    o += "    \"checksumMatches\": " + std::string(img.checksumMatches() ? "true" : "false") + "\n";
    o += "  },\n";
  } else {
    o += "  \"parameters\": null,\n";
  }
  o += "  \"connections\": [";
  for (size_t i = 0; i < img.connections.size(); ++i) {
    const auto& [n, c] = img.connections[i];
    o += i ? ",\n    " : "\n    ";
    o += "{\"record\": " + std::to_string(n) + ", \"ip\": " + jsonIp(c.ip.data()) +
         ", \"startInput\": " + std::to_string(c.startInput) + ", \"numInput\": " + std::to_string(c.numInput) +
         ", \"inputOffset\": " + std::to_string(c.inputOffset) + ", \"startOutput\": " + std::to_string(c.startOutput) +
         ", \"numOutput\": " + std::to_string(c.numOutput) + ", \"outputOffset\": " + std::to_string(c.outputOffset) +
         ", \"pollTime\": " + std::to_string(c.pollTime) + ", \"instanceTO\": " + std::to_string(c.instanceTO) +
         ", \"connectionPointTO\": " + std::to_string(c.connPointTO) +
         ", \"instanceOT\": " + std::to_string(c.instanceOT) +
         ", \"connectionPointOT\": " + std::to_string(c.connPointOT) +
         ", \"headerTO\": " + std::to_string(c.headerSizes & 7u) +
         ", \"headerOT\": " + std::to_string((c.headerSizes >> 3) & 7u) + "}";
  }
  o += img.connections.empty() ? "],\n" : "\n  ],\n";
  o += "  \"frames\": [";
  for (size_t i = 0; i < img.frames.size(); ++i) {
    const auto& [n, f] = img.frames[i];
    const bool send = (f.sendFlags & kSendFrame) != 0;
    o += i ? ",\n    " : "\n    ";
    o += "{\"record\": " + std::to_string(n) + ", \"direction\": " + (send ? "\"send\"" : "\"receive\"") +
         ", \"identifier\": " + std::to_string(f.identifier & ~kExtendedIdentifier) +
         ", \"extended\": " + ((f.identifier & kExtendedIdentifier) ? "true" : "false") +
         ", \"length\": " + std::to_string(f.length) + ", \"period\": " + std::to_string(f.period) +
         ", \"timeout\": " + std::to_string(f.timeout) +
         ", \"onChange\": " + ((f.sendFlags & kSendOnChange) ? "true" : "false") +
         ", \"onTimer\": " + ((f.sendFlags & kSendOnTimer) ? "true" : "false") + ", \"positions\": [";
    for (size_t k = 0; k < f.positions.size(); ++k) {
      if (k) o += ", ";
      o += f.positions[k] == kNoPosition ? std::string("null") : std::to_string(f.positions[k]);
    }
    o += "]}";
  }
  o += img.frames.empty() ? "]\n" : "\n  ]\n";
  o += "}\n";
  return o;
}

}  // namespace konfex

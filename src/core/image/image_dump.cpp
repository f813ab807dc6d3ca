#include "core/image/image_dump.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace konfex {

std::string hex32(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

namespace {

bool isCleared(const FrameRecord& f) {
  return f.identifier == 0 && f.period == 0 && f.timeout == 0 && f.reserved12 == 0 && f.sendFlags == 0 &&
         f.length == 0 && f.reserved15 == 0 &&
         std::all_of(f.positions.begin(), f.positions.end(), [](uint16_t p) { return p == kNoPosition; });
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
    out.frames.reserve(out.params ? std::min<size_t>(out.params->frameCount, kFrameRecordCount) : kFrameRecordCount);
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

namespace {

// Writes through a small buffer into one string, without temporaries: a full image has 1024 frame lines,
// and a string append per piece would be most of the work.
class TextOut {
 public:
  explicit TextOut(std::string& out) : out_(out) {}
  ~TextOut() { flush(); }
  TextOut(const TextOut&) = delete;
  TextOut& operator=(const TextOut&) = delete;

  void flush() {
    out_.append(buffer_, used_);
    used_ = 0;
  }
  TextOut& operator<<(std::string_view text) {
    if (used_ + text.size() > sizeof buffer_) flush();
    if (text.size() > sizeof buffer_) {
      out_.append(text);
    } else {
      std::memcpy(buffer_ + used_, text.data(), text.size());
      used_ += text.size();
    }
    return *this;
  }
  TextOut& operator<<(uint64_t value) {
    if (used_ + 20 > sizeof buffer_) flush();
    used_ = static_cast<size_t>(std::to_chars(buffer_ + used_, buffer_ + sizeof buffer_, value).ptr - buffer_);
    return *this;
  }
  // "0x0000ABCD"
  TextOut& hex(uint32_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char buf[10] = {'0', 'x'};
    for (int i = 0; i < 8; ++i) buf[2 + i] = kDigits[(value >> (28 - 4 * i)) & 0xFu];
    return *this << std::string_view(buf, sizeof buf);
  }
  TextOut& dotted(const uint8_t* b) {
    return *this << uint64_t{b[0]} << "." << uint64_t{b[1]} << "." << uint64_t{b[2]} << "." << uint64_t{b[3]};
  }
  TextOut& network(const std::array<uint8_t, 12>& n) {
    *this << "IP ";
    dotted(&n[0]) << ", mask ";
    dotted(&n[4]) << ", default gateway ";
    if (n[8] == 255 && n[9] == 255 && n[10] == 255 && n[11] == 255) return *this << "none (255.255.255.255)";
    return dotted(&n[8]);
  }

 private:
  std::string& out_;
  char buffer_[1024];
  size_t used_ = 0;
};

// One frame line, written into a buffer that is long enough for the longest (about 160 characters).
class FrameLine {
 public:
  std::string_view text() const { return std::string_view(buffer_, static_cast<size_t>(end_ - buffer_)); }
  FrameLine& operator<<(std::string_view s) {
    std::memcpy(end_, s.data(), s.size());
    end_ += s.size();
    return *this;
  }
  FrameLine& operator<<(uint64_t value) {
    end_ = std::to_chars(end_, end_ + 20, value).ptr;
    return *this;
  }
  FrameLine& hex(uint32_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    *end_++ = '0';
    *end_++ = 'x';
    for (int i = 28; i >= 0; i -= 4) *end_++ = kDigits[(value >> i) & 0xFu];
    return *this;
  }

 private:
  char buffer_[256];
  char* end_ = buffer_;
};

}  // namespace

std::string formatDumpText(const DecodedImage& img) {
  std::string text;
  text.reserve(128 + 112 * img.frames.size() + 320 * img.connections.size());
  TextOut out(text);
  out << "Image size: " << uint64_t{img.size} << " bytes";
  if (!img.sizeMatches()) out << " (expected " << uint64_t{kImageSize} << ")";
  out << "\n";
  if (!img.params) {
    out << "Parameter block: missing (the file is too short)\n";
  } else {
    const ParamSummary& p = *img.params;
    out << "Parameter block:\n";
    out << "  CAN bit rate: " << uint64_t{p.bitRate} << " bit/s\n";
    out << "  Network: ";
    out.network(p.network) << "\n  Network copy: ";
    out.network(p.networkCopy) << "\n";
    out << "  Frame records in use: " << uint64_t{p.frameCount} << "\n";
    out << "  Connection records in use: " << uint64_t{p.connectionCount} << "\n";
    out << "  Input bytes total: " << uint64_t{p.inputTotal} << "\n";
    out << "  Output bytes total: " << uint64_t{p.outputTotal} << "\n";
    out << "  Frame table address: ";
    out.hex(p.frameTableAddress) << "\n  Connection table address: ";
    out.hex(p.connectionTableAddress) << "\n";
    out << "  Checksum: " << uint64_t{p.storedChecksum} << " (";
    out.hex(p.storedChecksum) << "), computed " << uint64_t{p.computedChecksum} << ": "
                              << (img.checksumMatches() ? "matches" : "DOES NOT MATCH") << "\n";
  }
  out << "Connection records: " << uint64_t{img.connections.size()} << "\n";
  for (const auto& [n, c] : img.connections) {
    out << "  #" << uint64_t{n} << " adapter ";
    out.dotted(c.ip.data()) << ": input start " << uint64_t{c.startInput} << ", count " << uint64_t{c.numInput}
                            << ", offset " << uint64_t{c.inputOffset} << "; output start " << uint64_t{c.startOutput}
                            << ", count " << uint64_t{c.numOutput} << ", offset " << uint64_t{c.outputOffset}
                            << "; poll " << uint64_t{c.pollTime} << " ms; T>O instance " << uint64_t{c.instanceTO}
                            << ", point " << uint64_t{c.connPointTO} << ", header " << uint64_t{c.headerSizes & 7u}
                            << "; O>T instance " << uint64_t{c.instanceOT} << ", point " << uint64_t{c.connPointOT}
                            << ", header " << uint64_t{(c.headerSizes >> 3) & 7u} << "\n";
  }
  out << "Frame records: " << uint64_t{img.frames.size()} << "\n";
  for (const auto& [n, f] : img.frames) {
    const bool send = (f.sendFlags & kSendFrame) != 0;
    FrameLine line;
    line << "  #" << uint64_t{n} << (send ? " send" : " receive") << " id ";
    line.hex(f.identifier & ~kExtendedIdentifier)
        << ((f.identifier & kExtendedIdentifier) != 0 ? " (29-bit)" : " (11-bit)") << ", length " << uint64_t{f.length};
    if (send) {
      line << ", period " << uint64_t{f.period} << " ms, on change " << ((f.sendFlags & kSendOnChange) ? "yes" : "no")
           << ", on timer " << ((f.sendFlags & kSendOnTimer) ? "yes" : "no");
    } else {
      line << ", timeout " << uint64_t{f.timeout} << " ms";
    }
    line << ", positions";
    for (const uint16_t p : f.positions) {
      if (p == kNoPosition)
        line << " -";
      else
        line << " " << uint64_t{p};
    }
    line << "\n";
    out << line.text();
  }
  if (!img.sizeMatches()) out << "ERROR: the image must be " << uint64_t{kImageSize} << " bytes long\n";
  if (img.params && !img.checksumMatches()) out << "ERROR: the parameter block checksum does not match\n";
  out.flush();
  return text;
}

}  // namespace konfex

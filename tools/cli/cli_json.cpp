#include "cli_json.h"

#include <cstdio>

namespace konfex::cli {

using json = Json;

namespace {

std::string dotted(const uint8_t* b) {
  return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." + std::to_string(b[3]);
}

json networkJson(const std::array<uint8_t, 12>& n) {
  return {{"ip", dotted(&n[0])}, {"mask", dotted(&n[4])}, {"gateway", dotted(&n[8])}};
}

std::string hexBytes(const std::vector<uint8_t>& bytes) {
  std::string out;
  for (const uint8_t b : bytes) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", b);
    if (!out.empty()) out += ' ';
    out += buf;
  }
  return out;
}

}  // namespace

Json imageJson(const DecodedImage& img) {
  json o = json::object();
  o["size"] = img.size;
  o["sizeMatches"] = img.sizeMatches();
  if (img.params) {
    const ParamSummary& p = *img.params;
    o["parameters"] = {{"bitRate", p.bitRate},
                       {"network", networkJson(p.network)},
                       {"networkCopy", networkJson(p.networkCopy)},
                       {"frameCount", p.frameCount},
                       {"connectionCount", p.connectionCount},
                       {"inputTotal", p.inputTotal},
                       {"outputTotal", p.outputTotal},
                       {"frameTableAddress", p.frameTableAddress},
                       {"connectionTableAddress", p.connectionTableAddress},
                       {"checksum", p.storedChecksum},
                       {"computedChecksum", p.computedChecksum},
                       {"checksumMatches", img.checksumMatches()}};
  } else {
    o["parameters"] = nullptr;
  }
  json connections = json::array();
  for (const auto& [n, c] : img.connections) {
    connections.push_back({{"record", n},
                           {"ip", dotted(c.ip.data())},
                           {"startInput", c.startInput},
                           {"numInput", c.numInput},
                           {"inputOffset", c.inputOffset},
                           {"startOutput", c.startOutput},
                           {"numOutput", c.numOutput},
                           {"outputOffset", c.outputOffset},
                           {"pollTime", c.pollTime},
                           {"instanceTO", c.instanceTO},
                           {"connectionPointTO", c.connPointTO},
                           {"instanceOT", c.instanceOT},
                           {"connectionPointOT", c.connPointOT},
                           {"headerTO", c.headerSizes & 7u},
                           {"headerOT", (c.headerSizes >> 3) & 7u}});
  }
  o["connections"] = std::move(connections);
  json frames = json::array();
  for (const auto& [n, f] : img.frames) {
    json positions = json::array();
    for (const uint16_t p : f.positions) positions.push_back(p == kNoPosition ? json(nullptr) : json(p));
    frames.push_back({{"record", n},
                      {"direction", (f.sendFlags & kSendFrame) != 0 ? "send" : "receive"},
                      {"identifier", f.identifier & ~kExtendedIdentifier},
                      {"extended", (f.identifier & kExtendedIdentifier) != 0},
                      {"length", f.length},
                      {"period", f.period},
                      {"timeout", f.timeout},
                      {"onChange", (f.sendFlags & kSendOnChange) != 0},
                      {"onTimer", (f.sendFlags & kSendOnTimer) != 0},
                      {"positions", std::move(positions)}});
  }
  o["frames"] = std::move(frames);
  return o;
}

Json textsJson(const TextTable& table) {
  json texts = json::array();
  for (int i = 0; i < kTextCount; ++i) texts.push_back(table[i]);
  return texts;
}

Json edsJson(const std::vector<ConnData>& connections) {
  static constexpr const char* kKeys[kEdsGridColumns] = {"connection",  "name",        "help",
                                                         "instanceOT",  "connPointOT", "instanceTO",
                                                         "connPointTO", "dimHeaderOT", "dimHeaderTO"};
  json list = json::array();
  for (const ConnData& c : connections) {
    json o = json::object();
    const auto cells = edsGridTexts(c);
    for (size_t i = 0; i < cells.size(); ++i) o[kKeys[i]] = cells[i];
    o["raw"] = {{"keyword", c.raw.keyword},
                {"triggerTransport", c.raw.triggerTransport},
                {"connectionParameters", c.raw.connectionParameters},
                {"rateSizeFormat", c.raw.rateSizeFormat},
                {"path", c.raw.path},
                {"pathBytes", hexBytes(c.raw.pathBytes)}};
    list.push_back(std::move(o));
  }
  return list;
}

}  // namespace konfex::cli

// Writes the generated part of the program folder's LANGUAGE folder: English.lng, which is the text
// table's own defaults (so it can never fall behind them), and the 48 x 48 flag pictures of the shipped
// languages plus DefaultFlag.bmp, drawn from stripes and crosses.
//
//   konfex_language_data OUTPUT_FOLDER
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "core/io/files.h"
#include "core/io/text.h"
#include "core/lang/text_table.h"

namespace {

namespace fs = std::filesystem;

struct Rgb {
  uint8_t r, g, b;
};

constexpr int kSize = 48;
// The flag fills the middle 48 x 32 (the usual 3:2); the rows above and below take the windows' background.
constexpr int kFlagTop = 8;
constexpr int kFlagHeight = 32;
constexpr Rgb kBackground{248, 245, 237};
constexpr Rgb kEdge{160, 160, 160};
constexpr Rgb kWhite{255, 255, 255};

// A colour for each point of the flag, in flag coordinates: x from 0 to 48, y from 0 to 32.
using Painter = std::function<Rgb(double x, double y)>;

Rgb vertical(double x, Rgb a, Rgb b, Rgb c) {
  return x < 16 ? a : x < 32 ? b : c;
}

Rgb horizontal(double y, Rgb a, Rgb b, Rgb c) {
  return y < kFlagHeight / 3.0 ? a : y < 2 * kFlagHeight / 3.0 ? b : c;
}

Rgb unionFlag(double x, double y) {
  constexpr Rgb blue{1, 33, 105}, red{200, 16, 46}, white{255, 255, 255};
  const double cx = x - kSize / 2.0, cy = y - kFlagHeight / 2.0;
  if (std::abs(cy) < 3 || std::abs(cx) < 3) return red;
  if (std::abs(cy) < 5.5 || std::abs(cx) < 5.5) return white;
  // Distances to the two diagonals of the 48 x 32 field.
  const double norm = std::hypot(double(kSize), double(kFlagHeight));
  const double d1 = std::abs(kFlagHeight * x - kSize * y) / norm;
  const double d2 = std::abs(kFlagHeight * (kSize - x) - kSize * y) / norm;
  const double d = std::min(d1, d2);
  if (d < 1.2) return red;
  if (d < 3.4) return white;
  return blue;
}

Rgb spain(double y) {
  constexpr Rgb red{170, 21, 27}, yellow{241, 191, 0};
  return y < kFlagHeight / 4.0 || y >= 3 * kFlagHeight / 4.0 ? red : yellow;
}

// No flag of its own: a neutral field with a globe.
Rgb globe(double x, double y) {
  constexpr Rgb field{226, 230, 236}, sea{58, 118, 178}, line{235, 242, 250};
  const double cx = x - kSize / 2.0, cy = y - kFlagHeight / 2.0;
  const double r = std::hypot(cx, cy);
  if (r > 12.5) return field;
  if (r > 11.5) return line;
  if (std::abs(cy) < 0.5 || std::abs(cx) < 0.5) return line;              // equator and prime meridian
  if (std::abs(std::abs(cy) - 6.5) < 0.45) return line;                   // two parallels
  if (std::abs(std::hypot(cx / 6.0, cy / 12.0) - 1) < 0.07) return line;  // two meridians
  return sea;
}

std::string bitmap(const Painter& paint) {
  constexpr int rowBytes = kSize * 3;  // a multiple of four: no padding
  constexpr uint32_t pixelBytes = rowBytes * kSize;
  std::string out;
  const auto u16 = [&](uint32_t v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
  };
  const auto u32 = [&](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  out += "BM";
  u32(14 + 40 + pixelBytes);
  u32(0);
  u32(14 + 40);
  u32(40);  // BITMAPINFOHEADER
  u32(kSize);
  u32(kSize);  // positive: rows bottom-up
  u16(1);
  u16(24);
  u32(0);  // no compression
  u32(pixelBytes);
  u32(2835);  // 72 dpi
  u32(2835);
  u32(0);
  u32(0);
  for (int row = kSize - 1; row >= 0; --row) {
    for (int x = 0; x < kSize; ++x) {
      Rgb c = kBackground;
      const int y = row - kFlagTop;
      if (y >= 0 && y < kFlagHeight) {
        const bool edge = x == 0 || x == kSize - 1 || y == 0 || y == kFlagHeight - 1;
        c = edge ? kEdge : paint(x + 0.5, y + 0.5);
      }
      out += char(c.b);
      out += char(c.g);
      out += char(c.r);
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: konfex_language_data OUTPUT_FOLDER\n");
    return 2;
  }
  const fs::path folder = konfex::utf8Path(argv[1]);
  std::error_code ec;
  fs::create_directories(folder, ec);

  const struct {
    const char* name;
    Painter paint;
  } flags[] = {
      {"English", unionFlag},
      {"Italiano",
       [](double x, double) {
         return vertical(x, {0, 146, 70}, kWhite, {206, 43, 55});
       }},
      {"Deutsch",
       [](double, double y) {
         return horizontal(y, {0, 0, 0}, {221, 0, 0}, {255, 206, 0});
       }},
      {"Fran\u00e7ais",
       [](double x, double) {
         return vertical(x, {0, 35, 149}, kWhite, {237, 41, 57});
       }},
      {"Espa\u00f1ol", [](double, double y) { return spain(y); }},
      {"DefaultFlag", globe},
  };
  try {
    // The byte-order mark tells every reader that the pilcrows are UTF-8.
    konfex::writeFileAtomically(folder / "English.lng", "\xEF\xBB\xBF" + konfex::TextTable().toLanguageFile());
    for (const auto& flag : flags)
      konfex::writeFileAtomically(folder / konfex::utf8Path(std::string(flag.name) + ".bmp"), bitmap(flag.paint));
  } catch (const konfex::FileError& e) {
    std::fprintf(stderr, "konfex_language_data: %s\n", e.what());
    return 1;
  }
  return 0;
}

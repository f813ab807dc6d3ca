#include "core/editors/number_text.h"

#include <gtest/gtest.h>

namespace konfex {
namespace {

TEST(IntText, ReadsByTheOneRule) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  };
  const Case cases[] = {
      {"2047", 2047},
      {" 2047", 2047},
      {"0x7FF", 2047},
      {"$7FF", 2047},
      {"x1F", 31},
      {"X1f", 31},
      {"0X1f", 31},
      {"+5", 5},
      {"-0", 0},
      {"-12", -12},
      {"  -0x10", -16},
      {"0", 0},
      {"007", 7},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"0xFFFFFFFF", -1},
      {"0x80000000", INT32_MIN},
      {"$000000001", 1},
      // invalid
      {"", std::nullopt},
      {" ", std::nullopt},
      {"2047 ", std::nullopt},
      {"0x", std::nullopt},
      {"$", std::nullopt},
      {"1e3", std::nullopt},
      {"12a", std::nullopt},
      {"+", std::nullopt},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"0x100000000", std::nullopt},
      {"\t5", std::nullopt},
      {"00x1F", std::nullopt},
      {"1.5", std::nullopt},
      {"1 000", std::nullopt},
      {"0x-1", std::nullopt},
      {"--1", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parseIntText(c.text), c.value) << "text \"" << c.text << "\"";
  EXPECT_EQ(intTextOr("abc", -1), -1);
}

TEST(SplitIpText, AcceptsFourPartsFrom0To255) {
  const auto ok = splitIpText("192.168.1.125");
  EXPECT_TRUE(ok.valid);
  EXPECT_EQ(ok.parts, (std::array<std::string, 4>{"192", "168", "1", "125"}));

  const auto blanks = splitIpText(" 10 . 0 . 0 . 1 ");
  EXPECT_TRUE(blanks.valid);
  EXPECT_EQ(blanks.parts, (std::array<std::string, 4>{"10", "0", "0", "1"}));

  EXPECT_TRUE(splitIpText("0x0A.0.0.1").valid);
  for (const char* bad : {"192.168.1", "1.2.3", "1.2.3.4.5", "1..2.3", "1.2.3.256", "", "a.b.c.d", "1.2.3.-1"})
    EXPECT_FALSE(splitIpText(bad).valid) << bad;
}

TEST(IpTextToBytes, SplitsFieldByField) {
  struct Case {
    const char* text;
    std::array<uint8_t, 4> bytes;
    bool error;
  };
  const Case cases[] = {
      {"192.168.1.10", {192, 168, 1, 10}, false},
      {"192.168.1", {192, 168, 0, 1}, true},  // field 3 empty, field 4 is the remaining 1
      {"10.0.0.256", {10, 0, 0, 0}, true},
      {"1.2.3.4.5", {1, 2, 3, 0}, true},
      {"", {0, 0, 0, 0}, true},  // empty: no bytes of an earlier row, but 0.0.0.0
      {"0x0A.$FF.7.x1", {10, 255, 7, 1}, false},
  };
  for (const Case& c : cases) {
    const IpBytes r = ipTextToBytes(c.text);
    EXPECT_EQ(r.bytes, c.bytes) << c.text;
    EXPECT_EQ(r.hadError, c.error) << c.text;
  }
}

}  // namespace
}  // namespace konfex

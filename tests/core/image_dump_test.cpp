#include "core/image/image_dump.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace konfex {
namespace {

using test::TempDir;
using test::writeText;

CompileResult sampleImage(const TempDir& dir) {
  std::filesystem::create_directories(dir / "bin");
  const ProjectPaths paths = ProjectPaths::in(dir.path());
  writeText(paths.connections,
            "<E><row Enable=\"Y\" IP_Address=\"192.168.0.20\" Num_Input=\"8\" Num_Output=\"4\" Time_Poll=\"100\" "
            "Dim_Header_T_O=\"2\" Dim_Header_O_T=\"Default\"/></E>");
  writeText(paths.receiveFrames, "<R><row COBID=\"0x123\" Dim=\"2\" TimeOut=\"500\" Byte1=\"10\" Byte2=\"11\"/></R>");
  writeText(paths.sendFrames,
            "<T><row COBID=\"0x1FFFFFFF\" CAN_Type=\"2.0B (29 bits)\" Dim=\"1\" OnTimer=\"Y\" Time=\"50\" "
            "Byte1=\"7\"/></T>");
  return compileImage(paths);
}

TEST(ImageDump, DecodesWhatTheCompilerWrote) {
  TempDir dir;
  const CompileResult r = sampleImage(dir);
  const DecodedImage d = decodeImage(r.image);
  ASSERT_TRUE(d.intact());
  EXPECT_EQ(d.params->bitRate, 250000u);
  EXPECT_EQ(d.params->computedChecksum, r.checksum);
  ASSERT_EQ(d.connections.size(), 1u);
  EXPECT_EQ(d.connections[0].second.numInput, 8);
  EXPECT_EQ(d.connections[0].second.headerSizes, 0x22u);
  ASSERT_EQ(d.frames.size(), 2u);
  EXPECT_EQ(d.frames[1].second.identifier, 0x9FFFFFFFu);

  const std::string text = formatDumpText(d);
  for (const char* expected : {"Checksum: ", "matches", "adapter 192.168.0.20", "#0 receive id 0x00000123 (11-bit)",
                               "#1 send id 0x1FFFFFFF (29-bit), length 1, period 50 ms, on change no, on timer yes",
                               "positions 10 11 - - - - - -"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}

TEST(ImageDump, ReportsDamagedImagesAfterDecodingWhatItCan) {
  TempDir dir;
  CompileResult r = sampleImage(dir);
  r.image[kParamBlockOffset + 0x100] ^= 0x01;  // a reserved byte: only the checksum notices
  DecodedImage d = decodeImage(r.image);
  EXPECT_TRUE(d.sizeMatches());
  EXPECT_FALSE(d.checksumMatches());
  EXPECT_EQ(d.frames.size(), 2u);
  EXPECT_NE(formatDumpText(d).find("DOES NOT MATCH"), std::string::npos);

  d = decodeImage(std::span<const uint8_t>(r.image).first(kParamBlockOffset + 10));
  EXPECT_FALSE(d.params.has_value());
  EXPECT_EQ(d.frames.size(), 2u) << "without the block, the records that are not cleared are listed";
  EXPECT_NE(formatDumpText(d).find("must be 35136 bytes"), std::string::npos);

  d = decodeImage(std::span<const uint8_t>());
  EXPECT_FALSE(d.intact());
  EXPECT_TRUE(d.frames.empty());
}

}  // namespace
}  // namespace konfex

#include "core/image/bank_image.h"

#include <gtest/gtest.h>

#include "core/io/xml.h"
#include "test_support.h"

namespace konfex {
namespace {

namespace fs = std::filesystem;
using test::hexBytes;
using test::sameBytes;
using test::TempDir;
using test::writeText;

// A configuration folder with a bin folder and whichever project files a test writes.
class ImageTest : public ::testing::Test {
 protected:
  ImageTest() { fs::create_directories(dir_ / "bin"); }
  ProjectPaths paths() const { return ProjectPaths::in(dir_.path()); }
  void parGen(const std::string& children) { writeText(paths().parGen, "<Par_Gen>" + children + "</Par_Gen>"); }
  void connections(const std::string& rows) {
    writeText(paths().connections, "<EtherNetIP_Master_Access>" + rows + "</EtherNetIP_Master_Access>");
  }
  void receive(const std::string& rows) {
    writeText(paths().receiveFrames, "<Receive_Frames>" + rows + "</Receive_Frames>");
  }
  void send(const std::string& rows) {
    writeText(paths().sendFrames, "<Transmit_Frames>" + rows + "</Transmit_Frames>");
  }

  static std::span<const uint8_t> at(const CompileResult& r, size_t offset, size_t length) {
    return std::span<const uint8_t>(r.image).subspan(offset, length);
  }
  static std::span<const uint8_t> block(const CompileResult& r, size_t offset, size_t length) {
    return at(r, kParamBlockOffset + offset, length);
  }
  static std::span<const uint8_t> frame(const CompileResult& r, size_t n) {
    return at(r, n * kRecordSize, kRecordSize);
  }
  static std::span<const uint8_t> connection(const CompileResult& r, size_t n) {
    return at(r, kConnectionTableOffset + n * kRecordSize, kRecordSize);
  }

  TempDir dir_;
};

const std::vector<uint8_t> kClearedFrame =
    hexBytes("00000000 00000000 00000000 00000000 FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF");

TEST_F(ImageTest, WithoutProjectFilesTheImageHoldsDefaults) {
  const CompileResult r = compileImage(paths());
  EXPECT_EQ(r.image.size(), 35136u);
  for (size_t n = 0; n < kFrameRecordCount; ++n) ASSERT_TRUE(sameBytes(frame(r, n), kClearedFrame)) << "record " << n;

  std::vector<uint8_t> expected(kParamBlockSize, 0);
  const auto put = [&](size_t offset, std::string_view hex) {
    const auto bytes = hexBytes(hex);
    std::copy(bytes.begin(), bytes.end(), expected.begin() + static_cast<ptrdiff_t>(offset));
  };
  put(0x000, "90D00300");                    // 250000 bit/s
  put(0x00C, "80250000");                    // 9600
  put(0x028, "C0A802CD FFFFFF00 FFFFFFFF");  // 192.168.2.205 / 255.255.255.0 / no gateway
  put(0x034, "1027 1127 1127");              // 10000, 10001, 10001
  put(0x03C, "80250000");
  put(0x0C8, "00000600");  // frame table at 0x60000
  put(0x27C, "00880600");  // connection table at 0x68800
  put(0x7FC, "180D0000");  // checksum 3352
  EXPECT_TRUE(sameBytes(block(r, 0, kParamBlockSize), expected));
  EXPECT_EQ(r.checksum, 3352u);
  EXPECT_TRUE(sameBytes(at(r, kConnectionTableOffset, 320), std::vector<uint8_t>(320, 0)));
  EXPECT_EQ(r.frameRecords + r.connectionRecords + r.inputTotal + r.outputTotal, 0u);
}

TEST_F(ImageTest, ParameterBlockFollowsParGen) {
  parGen("");
  CompileResult r = compileImage(paths());
  EXPECT_TRUE(sameBytes(block(r, 0, 4), hexBytes("40420F00")));  // 1000000
  EXPECT_TRUE(sameBytes(block(r, 0x028, 12), hexBytes("C0A80005 FFFFFF00 FFFFFFFF")));
  EXPECT_TRUE(sameBytes(block(r, 0x130, 12), hexBytes("C0A80005 FFFFFF00 FFFFFFFF")));
  EXPECT_EQ(r.checksum, 5090u);

  parGen(
      "<EtherNetIP_Master_IP1>10</EtherNetIP_Master_IP1><EtherNetIP_Master_IP4>300</EtherNetIP_Master_IP4>"
      "<EtherNetIP_Master_GAT1>10</EtherNetIP_Master_GAT1><EtherNetIP_Master_GAT2>0</EtherNetIP_Master_GAT2>"
      "<EtherNetIP_Master_GAT3>0x0</EtherNetIP_Master_GAT3><EtherNetIP_Master_GAT4>1</EtherNetIP_Master_GAT4>"
      "<EtherNetIP_Master_SM4>abc</EtherNetIP_Master_SM4>"
      "<EtherNetIP_Master_EN_GAT>1</EtherNetIP_Master_EN_GAT><CAN_BAUDRATE>3</CAN_BAUDRATE>");
  r = compileImage(paths());
  EXPECT_TRUE(sameBytes(block(r, 0, 4), hexBytes("24F40000")));                         // 62500
  EXPECT_TRUE(sameBytes(block(r, 0x028, 12), hexBytes("0AA8002C FFFFFF00 0A000001")));  // 300 stores 44
  EXPECT_TRUE(sameBytes(block(r, 0x130, 12), block(r, 0x028, 12)));

  for (const char* enable : {"0", " 1", "true"}) {
    parGen(std::string("<EtherNetIP_Master_GAT1>10</EtherNetIP_Master_GAT1><EtherNetIP_Master_EN_GAT>") + enable +
           "</EtherNetIP_Master_EN_GAT>");
    r = compileImage(paths());
    EXPECT_TRUE(sameBytes(block(r, 0x030, 4), hexBytes("FFFFFFFF"))) << enable;
    EXPECT_TRUE(sameBytes(block(r, 0x138, 4), hexBytes("FFFFFFFF"))) << enable;
  }
  for (const auto& [text, rate] : std::vector<std::pair<std::string, uint32_t>>{
           {"0", 10000}, {"8", 800000}, {"9", 1000000}, {"10", 1000000}, {"-1", 1000000}, {"abc", 1000000}}) {
    parGen("<CAN_BAUDRATE>" + text + "</CAN_BAUDRATE>");
    EXPECT_EQ(readU32(compileImage(paths()).image, kParamBlockOffset), rate) << text;
  }
  // A comment before the root: the first top-level node has no elements, so every field takes its default.
  writeText(paths().parGen, "<!-- note --><Par_Gen><CAN_BAUDRATE>3</CAN_BAUDRATE></Par_Gen>");
  EXPECT_EQ(compileImage(paths()).checksum, 5090u);
}

TEST_F(ImageTest, ConnectionRecordsComeFromEnabledRows) {
  connections(
      "<row Enable=\"Y\" IP_Address=\"192.168.0.20\" Start_Input=\"0\" Num_Input=\"10\" Start_Output=\"2\" "
      "Num_Output=\"8\" Time_Poll=\"100\" Instance_T_O=\"1\" Connection_Point_T_O=\"100\" Instance_O_T=\"1\" "
      "Connection_Point_O_T=\"101\" Dim_Header_T_O=\"Default\" Dim_Header_O_T=\"Default\" Mnemonic=\"Drive\"/>"
      "<row Enable=\"N\" IP_Address=\"10.0.0.2\" Num_Input=\"99\"/>"
      "<row Enable=\" y \" IP_Address=\"10.0.0.3\" Num_Input=\"0\" Num_Output=\"4\" Dim_Header_T_O=\"7\" "
      "Dim_Header_O_T=\"7\"/>"
      "<row Enable=\"Y\" Num_Input=\"6\" Dim_Header_T_O=\"9\" Dim_Header_O_T=\"junk\"/>"
      "<row Enable=\"Yes\" IP_Address=\"10.0.0.5\"/><row IP_Address=\"10.0.0.6\"/>");
  const CompileResult r = compileImage(paths());
  EXPECT_EQ(r.connectionRecords, 3u);
  EXPECT_TRUE(sameBytes(connection(r, 0), hexBytes("C0A80014 0000 0A00 0000 0200 0800 0000 0100 6400 0100 6500 "
                                                   "64000000 20000000")));
  // Input offsets are running totals: 0, 10, 10; header sizes 7 and 7 give 0x3F.
  EXPECT_TRUE(sameBytes(connection(r, 1), hexBytes("0A000003 0000 0000 0A00 0000 0400 0800 0100 6400 0100 6500 "
                                                   "E8030000 3F000000")));
  // No IP_Address: FF FF FF FF; header 9 keeps its low 3 bits (1), an invalid O>T text gives 4.
  EXPECT_TRUE(sameBytes(connection(r, 2), hexBytes("FFFFFFFF 0000 0600 0A00 0000 0000 0C00 0100 6400 0100 6500 "
                                                   "E8030000 21000000")));
  EXPECT_TRUE(sameBytes(connection(r, 3), std::vector<uint8_t>(32, 0)));
  EXPECT_EQ(readU32(r.image, kParamBlockOffset + block::kConnectionCount), 3u);
  EXPECT_EQ(readU32(r.image, kParamBlockOffset + block::kInputTotal), 16u);
  EXPECT_EQ(readU32(r.image, kParamBlockOffset + block::kOutputTotal), 12u);
}

TEST_F(ImageTest, AnEmptyAddressNeverTakesBytesOfAnEarlierRow) {
  connections("<row Enable=\"Y\" IP_Address=\"192.168.0.20\"/><row Enable=\"Y\" IP_Address=\"\"/>");
  const CompileResult r = compileImage(paths());
  EXPECT_TRUE(sameBytes(connection(r, 1).first(4), hexBytes("00000000")));
}

TEST_F(ImageTest, RowsBeyondTheTablesAreIgnoredAndCounted) {
  std::string conn;
  for (int i = 0; i < 13; ++i) conn += "<row Enable=\"Y\" IP_Address=\"10.0.0." + std::to_string(i) + "\"/>";
  connections(conn);
  std::string rows;
  for (int i = 0; i < 600; ++i) rows += "<row COBID=\"" + std::to_string(i) + "\" Dim=\"1\"/>";
  receive(rows);
  send(rows);
  const CompileResult r = compileImage(paths());
  EXPECT_EQ(r.connectionRecords, 10u);
  EXPECT_EQ(r.ignoredConnectionRows, 3u);
  EXPECT_EQ(r.frameRecords, 1024u);
  EXPECT_EQ(r.ignoredFrameRows, 176u);
  EXPECT_EQ(readU32(r.image, kParamBlockOffset + block::kFrameCount), 1024u);
  EXPECT_EQ(readU32(frame(r, 1023), 0), 423u) << "the last record is send row 424";
  EXPECT_EQ(r.checksum,
            paramBlockChecksum(std::span<const uint8_t>(r.image).subspan(kParamBlockOffset).first<kParamBlockSize>()));
}

TEST_F(ImageTest, FrameRecordsFollowReceiveThenSendRows) {
  receive(
      "<row Enable=\"Y\" COBID=\"0x123\" CAN_Type=\"2.0A (11 bits)\" Dim=\"2\" TimeOut=\"500\" Byte1=\"10\" "
      "Byte2=\"11\" Byte3=\"12\" Mnemonic=\"x\"/>"
      "<row Enable=\"N\" COBID=\"1\"/>"
      "<row Enable=\"y\" COBID=\"2\"/>"
      "<row COBID=\"3\" Byte1=\"None\" Byte2=\"\" Byte8=\"1499\"/>");
  send(
      "<row Enable=\"Y\" COBID=\"0x1FFFFFFF\" CAN_Type=\" 2.0B (29 bits) \" Dim=\"0\" OnChange=\"Y\" OnTimer=\"Y\" "
      "Time=\"250\" TimeOut=\"9\" Byte1=\"1\"/>"
      "<row Enable=\"Y\" COBID=\"0x10\" Dim=\"300\" OnChange=\"y\" OnCMD=\"Y\" Byte1=\"0x20\"/>");
  const CompileResult r = compileImage(paths());
  EXPECT_EQ(r.frameRecords, 4u);
  EXPECT_TRUE(sameBytes(frame(r, 0), hexBytes("23010000 00000000 F4010000 00 00 02 00 0A00 0B00 FFFF FFFF FFFF FFFF "
                                              "FFFF FFFF")));
  // No Enable: taken; no Dim: length 8 and every position as read.
  EXPECT_TRUE(sameBytes(frame(r, 1), hexBytes("03000000 00000000 00000000 00 00 08 00 FFFF FFFF FFFF FFFF FFFF FFFF "
                                              "FFFF DB05")));
  // Length 0 leaves all positions unused; bit 31 marks the 29-bit identifier; the timeout is not read.
  EXPECT_TRUE(sameBytes(frame(r, 2), hexBytes("FFFFFF9F FA000000 00000000 00 07 00 00 FFFF FFFF FFFF FFFF FFFF FFFF "
                                              "FFFF FFFF")));
  // Length 300 keeps its low 8 bits (44); only exact "Y" sets a flag.
  EXPECT_TRUE(sameBytes(frame(r, 3), hexBytes("10000000 00000000 00000000 00 01 2C 00 2000 FFFF FFFF FFFF FFFF FFFF "
                                              "FFFF FFFF")));
  EXPECT_TRUE(sameBytes(frame(r, 4), kClearedFrame));
  EXPECT_EQ(readU32(r.image, kParamBlockOffset + block::kFrameCount), 4u);
}

TEST_F(ImageTest, SendFramesStartAtRecordZeroWithoutAReceiveFile) {
  send("<row COBID=\"7\" Dim=\"1\"/>");
  const CompileResult r = compileImage(paths());
  EXPECT_EQ(readU32(frame(r, 0), 0), 7u);
  EXPECT_EQ(frame(r, 0)[13], kSendFrame);
}

TEST_F(ImageTest, MalformedXmlStopsTheCompileWithItsPosition) {
  receive("<row COBID=\"1\"/>");
  writeText(paths().sendFrames, "<Transmit_Frames>\n  <row COBID=\"1\">\n</Transmit_Frames>");
  try {
    compileImage(paths());
    FAIL() << "expected an XmlError";
  } catch (const XmlError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("CAN_Send_Frames.xml"), std::string::npos) << what;
    EXPECT_NE(what.find("line 3"), std::string::npos) << what;
  }
}

TEST_F(ImageTest, WritingIsRepeatableAtomicAndReplacesLongerFiles) {
  parGen("<CAN_BAUDRATE>5</CAN_BAUDRATE>");
  writeText(paths().bankImage, std::string(50000, 'x'));
  writeImage(paths().bankImage, compileImage(paths()).image);
  const std::string first = test::readText(paths().bankImage);
  EXPECT_EQ(first.size(), kImageSize);
  writeImage(paths().bankImage, compileImage(paths()).image);
  EXPECT_EQ(test::readText(paths().bankImage), first);
  EXPECT_EQ(test::fileNames(dir_ / "bin"), std::vector<std::string>{"bank.bin"});

  fs::remove_all(dir_ / "bin");
  EXPECT_THROW(writeImage(paths().bankImage, compileImage(paths()).image), FileError);
  EXPECT_FALSE(fs::exists(dir_ / "bin"));
}

}  // namespace
}  // namespace konfex

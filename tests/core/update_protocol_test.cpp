#include <gtest/gtest.h>

#include "core/update/device_command.h"
#include "core/update/tftp.h"

namespace konfex {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

TEST(Tftp, PacketsReadBackAsBuilt) {
  const auto wrq = tftp::parse(tftp::request(tftp::Opcode::WriteRequest, "0x60000", {{"blksize", "1468"}}));
  ASSERT_TRUE(wrq);
  EXPECT_EQ(wrq->opcode, tftp::Opcode::WriteRequest);
  EXPECT_EQ(wrq->fileName, "0x60000");
  EXPECT_EQ(wrq->mode, "octet");
  EXPECT_EQ(tftp::blockSize(wrq->options), 1468u);
  EXPECT_EQ(tftp::request(tftp::Opcode::ReadRequest, "a", {}), "\0\1a\0octet\0"s);

  const auto data = tftp::parse(tftp::data(258, "\0\xFF"s));
  ASSERT_TRUE(data);
  EXPECT_EQ(data->block, 258);
  EXPECT_EQ(data->data, "\0\xFF"s);
  EXPECT_EQ(tftp::ack(258), "\0\4\1\2"s);
  const auto error = tftp::parse(tftp::error(tftp::kDiskFull, "full"));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->errorCode, tftp::kDiskFull);
  EXPECT_EQ(error->errorMessage, "full");
  const auto oack = tftp::parse(tftp::optionAck({{"BLKSIZE", "512"}}));
  ASSERT_TRUE(oack);
  EXPECT_EQ(tftp::option(oack->options, "blksize"), "512");
}

TEST(Tftp, MalformedPacketsAreRefused) {
  for (const std::string& bad : {""s, "\0"s, "\0\7"s, "\0\1name"s, "\0\1\0octet\0"s, "\0\1a\0octet\0blksize\0"s,
                                 "\0\4\0"s, "\0\4\0\1\0"s, "\0\5\0\1"s, "\0\5\0\1text"s, "\0\6a\0"s})
    EXPECT_FALSE(tftp::parse(bad)) << testing::PrintToString(bad);
  for (const char* size : {"7", "65465", "", "12a", "99999999"})
    EXPECT_FALSE(tftp::blockSize({{"blksize", size}})) << size;
}

TEST(Tftp, RetransmitTimeOutLearnsAndStaysInBounds) {
  tftp::RetransmitTimer timer(500ms, 20ms, 500ms);
  EXPECT_EQ(timer.timeout(), 500ms) << "nothing measured yet";
  timer.sample(100us);
  EXPECT_EQ(timer.timeout(), 20ms) << "a fast peer: the lower bound";
  timer.backOff();
  EXPECT_EQ(timer.timeout(), 40ms);
  for (int i = 0; i < 5; ++i) timer.backOff();
  EXPECT_EQ(timer.timeout(), 80ms) << "doubling stops at four times the learnt value";
  for (int i = 0; i < 50; ++i) timer.sample(900ms);
  EXPECT_EQ(timer.timeout(), 500ms) << "a slow peer: the upper bound";
}

TEST(DeviceCommands, TextsReadBackAsWritten) {
  const std::string text = devcmd::format(devcmd::Command{7, devcmd::kWrite, {"0x78100", "00800000"}});
  EXPECT_EQ(text, "KX 7 0x0B 0x78100 00800000");
  const auto c = devcmd::parseCommand(text);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->sequence, 7u);
  EXPECT_EQ(c->code, devcmd::kWrite);
  EXPECT_EQ(c->args, (std::vector<std::string>{"0x78100", "00800000"}));
  for (const char* bad : {"", "KX", "KX 1", "XX 1 0x01", "KX -1 0x01", "KX 1 0x100", "KX 99999999999 0x01"})
    EXPECT_FALSE(devcmd::parseCommand(bad)) << bad;

  EXPECT_EQ(devcmd::format(devcmd::Reply{3, false, "out of range"}), "KX 3 ERR out of range");
  const auto r = devcmd::parseReply("KX 3 ERR out of range");
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->ok);
  EXPECT_EQ(r->reason, "out of range");
  EXPECT_TRUE(devcmd::parseReply("KX 4 OK")->ok);
  EXPECT_FALSE(devcmd::parseReply("KX 4 MAYBE"));

  EXPECT_EQ(devcmd::bytesFromHex("00FFa5"), "\0\xFF\xA5"s);
  EXPECT_FALSE(devcmd::bytesFromHex("0"));
  EXPECT_FALSE(devcmd::bytesFromHex("0g"));
  EXPECT_EQ(devcmd::hexBytes("\0\xFF\xA5"s), "00FFA5");
  EXPECT_EQ(devcmd::hexAddress(0x5C7), "0x5C7");
  EXPECT_EQ(devcmd::hexAddress(0x0B), "0x0B");
}

TEST(DeviceCommands, CheckRecordCarriesStartLengthAndCrc) {
  EXPECT_EQ(devcmd::crc32("123456789"), 0xCBF43926u);  // the CRC-32 check value
  EXPECT_EQ(devcmd::cssRecord(0x8000, "123456789"), "\x00\x80\x00\x00\x09\x00\x00\x00\x26\x39\xF4\xCB"s);
}

}  // namespace
}  // namespace konfex

#include "cli.h"

#include <sys/wait.h>

#include <cstdio>
#include <sstream>

#include <gtest/gtest.h>

#include "core/image/bank_image.h"
#include "core/lang/text_table.h"
#include "test_support.h"

namespace konfex {
namespace {

namespace fs = std::filesystem;
using test::readText;
using test::TempDir;
using test::writeText;

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

CliRun cli(const std::vector<std::string>& args, const fs::path& programFolder = "/nonexistent") {
  std::ostringstream out, err;
  const int code = runCli(args, programFolder, out, err);
  return {code, out.str(), err.str()};
}

TEST(CliCompile, WritesTheImageAndSummarises) {
  TempDir dir;
  fs::create_directories(dir / "bin");
  writeText(dir / "EtherNetIP_Master_Rules.xml",
            "<E><row Enable=\"Y\" IP_Address=\"1.2.3.4\" Num_Input=\"3\" Num_Output=\"5\"/></E>");
  const CliRun r = cli({"compile", dir.path().string()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("35136 bytes, 0 frame records, 1 connection records, input 3 bytes, output 5 bytes, checksum "),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("ignored rows: 0 connection, 0 frame"), std::string::npos);
  EXPECT_EQ(readText(dir / "bin" / "bank.bin").size(), kImageSize);

  const CliRun other = cli({"compile", dir.path().string(), "--output", (dir / "other.bin").string()});
  EXPECT_EQ(other.code, 0);
  EXPECT_EQ(readText(dir / "other.bin"), readText(dir / "bin" / "bank.bin"));
}

TEST(CliCompile, FailuresWriteNothing) {
  TempDir dir;
  fs::create_directories(dir / "bin");
  writeText(dir / "ParGen.xml", "<Par_Gen><CAN_BAUDRATE>3</Par_Gen>");
  CliRun r = cli({"compile", dir.path().string()});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("ParGen.xml"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("line 1"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "bin" / "bank.bin"));

  fs::remove(dir / "ParGen.xml");
  fs::remove_all(dir / "bin");
  r = cli({"compile", dir.path().string()});
  EXPECT_EQ(r.code, 1) << "no bin folder: the image cannot be written";
  EXPECT_NE(r.err.find("bank.bin"), std::string::npos) << r.err;

  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"compile"},
                                             {"compile", (dir / "missing").string()},
                                             {"compile", dir.path().string(), "--output"},
                                             {"compile", dir.path().string(), "--bogus"},
                                             {},
                                             {"frobnicate"}}) {
    r = cli(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("usage: konfex-cli"), std::string::npos);
  }
}

TEST(CliDump, DecodesAndFlagsDamage) {
  TempDir dir;
  fs::create_directories(dir / "bin");
  ASSERT_EQ(cli({"compile", dir.path().string()}).code, 0);
  const fs::path image = dir / "bin" / "bank.bin";
  CliRun r = cli({"dump", image.string()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Checksum: 3352 (0x00000D18), computed 3352: matches"), std::string::npos) << r.out;
  r = cli({"dump", image.string(), "--json"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("\"checksum\": 3352"), std::string::npos);

  std::string bytes = readText(image);
  bytes[kParamBlockOffset] = 1;
  writeText(dir / "bad-sum.bin", bytes);
  r = cli({"dump", (dir / "bad-sum.bin").string()});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("checksum"), std::string::npos);
  EXPECT_NE(r.out.find("CAN bit rate"), std::string::npos) << "what can be decoded is printed first";

  writeText(dir / "long.bin", readText(image) + "x");
  r = cli({"dump", (dir / "long.bin").string()});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("35137 bytes long"), std::string::npos);

  EXPECT_EQ(cli({"dump", (dir / "missing.bin").string()}).code, 2);
}

TEST(CliTexts, PrintsALanguageFileThatLoadsBack) {
  TempDir dir;
  writeText(dir / "LANGUAGE" / "Deutsch.lng", "STR0000 = Anfang\nSTR0009 = \xC2\xB6Keine \xC2\xB6");
  CliRun r = cli({"texts", "--language", "Deutsch"}, dir.path());
  ASSERT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("STR0000 = Anfang\n"), std::string::npos);
  EXPECT_NE(r.out.find("STR0009 = \xC2\xB6Keine \xC2\xB6\n"), std::string::npos);
  TextTable expected;
  expected.applyLanguageFile(dir / "LANGUAGE" / "Deutsch.lng");
  writeText(dir / "out.lng", r.out);
  const CliRun back = cli({"texts", "--file", (dir / "out.lng").string()});
  EXPECT_EQ(back.out, r.out);
  TextTable reloaded;
  reloaded.applyLanguageText(r.out);
  EXPECT_EQ(reloaded, expected);

  r = cli({"texts", "--language", "Missing"}, dir.path());
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, TextTable().toLanguageFile());
  EXPECT_NE(r.err.find("using English"), std::string::npos);

  r = cli({"texts", "--json"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, TextTable().toJson());

  EXPECT_EQ(cli({"texts", "--language", "A", "--file", "B"}).code, 2);
  EXPECT_EQ(cli({"texts", "--file", (dir / "none.lng").string()}).code, 2);
}

// The real program, as a user runs it.
TEST(CliProgram, RunsAsAChildProcess) {
  TempDir dir;
  fs::create_directories(dir / "bin");
  const std::string command = std::string(KONFEX_CLI_PATH) + " compile '" + dir.path().string() + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buf[256];
  while (fgets(buf, sizeof buf, pipe)) output += buf;
  const int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  EXPECT_NE(output.find("checksum 3352"), std::string::npos) << output;
  EXPECT_EQ(readText(dir / "bin" / "bank.bin").size(), kImageSize);
}

}  // namespace
}  // namespace konfex

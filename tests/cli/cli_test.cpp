#include "cli.h"

#include <sys/wait.h>

#include <cstdio>
#include <sstream>

#include <gtest/gtest.h>

#include "cli_json.h"
#include "cli_run.h"
#include "core/image/bank_image.h"
#include "core/lang/text_table.h"
#include "test_support.h"

namespace konfex {
namespace {

namespace fs = std::filesystem;
using test::cli;
using test::CliRun;
using test::readText;
using test::TempDir;
using test::writeText;

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
  EXPECT_EQ(cli::Json::parse(r.out), cli::textsJson(TextTable()));

  EXPECT_EQ(cli({"texts", "--language", "A", "--file", "B"}).code, 2);
  EXPECT_EQ(cli({"texts", "--file", (dir / "none.lng").string()}).code, 2);
}

TEST(CliJson, DumpAndTextsCarryEveryField) {
  TempDir dir;
  fs::create_directories(dir / "bin");
  writeText(
      dir / "EtherNetIP_Master_Rules.xml",
      "<E><row Enable=\"Y\" IP_Address=\"192.168.0.20\" Num_Input=\"8\" Num_Output=\"4\" Time_Poll=\"100\"/></E>");
  writeText(dir / "CAN_Rec_Frames.xml",
            "<R><row COBID=\"0x123\" Dim=\"2\" TimeOut=\"500\" Byte1=\"10\" Byte2=\"11\"/></R>");
  writeText(dir / "CAN_Send_Frames.xml",
            "<T><row COBID=\"0x1FFFFFFF\" CAN_Type=\"2.0B (29 bits)\" Dim=\"1\" OnTimer=\"Y\" Time=\"50\" "
            "Byte1=\"7\"/></T>");
  ASSERT_EQ(cli({"compile", dir.path().string()}).code, 0);
  const CliRun r = cli({"dump", (dir / "bin" / "bank.bin").string(), "--json"});
  ASSERT_EQ(r.code, 0) << r.err;
  const auto dump = cli::Json::parse(r.out);
  EXPECT_EQ(dump["size"], kImageSize);
  EXPECT_EQ(dump["parameters"]["checksumMatches"], true);
  EXPECT_EQ(dump["connections"][0]["ip"], "192.168.0.20");
  EXPECT_EQ(dump["connections"][0]["numInput"], 8);
  EXPECT_EQ(dump["frames"][0]["positions"], cli::Json::parse("[10, 11, null, null, null, null, null, null]"));
  EXPECT_EQ(dump["frames"][1]["extended"], true);
  EXPECT_EQ(dump["frames"][1]["direction"], "send");

  TextTable t;
  t.set(5, "quote \" backslash \\ tab \t");
  const std::string texts = cli::textsJson(t).dump();
  EXPECT_NE(texts.find("\"quote \\\" backslash \\\\ tab \\t\""), std::string::npos);
  EXPECT_EQ(cli::Json::parse(texts).size(), static_cast<size_t>(kTextCount));
}

TEST(CliEds, ListsTheConnectionsAsTheSelectionGrid) {
  const std::string fixture = std::string(KONFEX_TEST_DATA) + "/eds/adapter.eds";
  CliRun r = cli({"eds", fixture, "--json"});
  ASSERT_EQ(r.code, 0) << r.err;
  const auto list = cli::Json::parse(r.out);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], cli::Json::parse(R"({"connection": "Connection1", "name": "\"Exclusive Owner\"", "help": "\"\"",
      "instanceOT": "1", "connPointOT": "150", "instanceTO": "1", "connPointTO": "100",
      "dimHeaderOT": "Default", "dimHeaderTO": "Default",
      "raw": {"keyword": "Connection1", "triggerTransport": "0x04010002", "connectionParameters": "0x44640405",
              "rateSizeFormat": ["", "", "Assem150", "", "", "Assem100", "", "", "", ""],
              "path": "20 04 24 01 2C 96 2C 64", "pathBytes": "20 04 24 01 2C 96 2C 64"}})"));
  EXPECT_EQ(list[1]["dimHeaderOT"], "7");
  EXPECT_EQ(list[2]["dimHeaderTO"], "3");

  r = cli({"eds", fixture});
  EXPECT_EQ(r.code, 0);
  for (const char* expected : {"Connection1\n  Connection Name: \"Exclusive Owner\"\n  Help String: \"\"\n"
                               "  Instance O > T: 1\n  Conn. Point O > T: 150\n  Instance T > O: 1\n"
                               "  Conn. Point T > O: 100\n  Dim Header O > T: Default\n  Dim Header T > O: Default\n",
                               "raw field 2 (connection parameters): 0x44640405\n", "Connection3\n",
                               "path bytes: 20 04 24 05 2C 64 24 06 2C 66\n"})
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;

  TempDir dir;
  writeText(dir / "none.eds", "[Connection Manager]\nConnection1 = 0x1,0x2;\n");
  for (const bool json : {false, true}) {
    std::vector<std::string> args{"eds", (dir / "none.eds").string()};
    if (json) args.push_back("--json");
    r = cli(args);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "konfex-cli: Error!! No Valid Connection found\n");
    EXPECT_EQ(r.out, json ? "[]\n" : "");
  }
  EXPECT_EQ(cli({"eds", (dir / "missing.eds").string()}).code, 2);
  EXPECT_EQ(cli({"eds"}).code, 2);
}

TEST(CliArguments, HelpVersionAndBadArguments) {
  CliRun r = cli({"--version"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.rfind("konfex-cli 1.000", 0), 0u) << r.out;
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{"--help"}, {"help"}, {"-h"}}) {
    r = cli(args);
    EXPECT_EQ(r.code, 0);
    for (const char* command : {"compile", "dump", "texts", "eds"})
      EXPECT_NE(r.out.find(command), std::string::npos) << command;
  }
  for (const char* command : {"compile", "dump", "texts", "eds"}) {
    r = cli({command, "--help"});
    EXPECT_EQ(r.code, 0) << command;
    EXPECT_NE(r.out.find(std::string("usage: konfex-cli ") + command), std::string::npos) << r.out;
  }
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{"dump"},
                                                                                    {"dump", "a", "b"},
                                                                                    {"texts", "--language"},
                                                                                    {"texts", "extra"},
                                                                                    {"eds", "--bogus"},
                                                                                    {"--bogus"}}) {
    r = cli(args);
    EXPECT_EQ(r.code, 2) << args[0];
    EXPECT_NE(r.err.find("usage: konfex-cli"), std::string::npos);
  }
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

// konfex-cli check and map, through the command line as a user types it.
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli.h"
#include "cli_run.h"
#include "test_support.h"

namespace konfex {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::cli;
using test::CliRun;
using test::readText;
using test::TempDir;
using test::writeText;

const char* kConnections =
    "<EtherNetIP_Master_Access>"
    "<row Enable=\" Y\" IP_Address=\"10.0.0.1\" Start_Input=\"0\" Num_Input=\"4\" Start_Output=\"0\" Num_Output=\"4\" "
    "Time_Poll=\"0\" Instance_T_O=\"1\" Connection_Point_T_O=\"100\" Instance_O_T=\"1\" Connection_Point_O_T=\"101\" "
    "Dim_Header_T_O=\"Default\" Dim_Header_O_T=\"Default\" Mnemonic=\"\"/>"
    "</EtherNetIP_Master_Access>";

TEST(CliCheck, ReportsEveryEditorFileAsItsDialogWould) {
  TempDir dir;
  writeText(dir / "ParGen.xml", "<Par_Gen><EtherNetIP_Master_IP4>256</EtherNetIP_Master_IP4></Par_Gen>");
  writeText(dir / "EtherNetIP_Master_Rules.xml", kConnections);  // " Y": disabled for the editor, so it passes
  writeText(dir / "CAN_Rec_Frames.xml",
            "<Receive_Frames><row COBID=\"1\" Dim=\"1\"/><row COBID=\"\"/>"
            "<row Enable=\"Y\" COBID=\"5\" Mnemonic=\"kept?\"/></Receive_Frames>");
  writeText(dir / "CAN_Send_Frames.xml", "<Transmit_Frames><row COBID=\"1\"");

  const CliRun r = cli({"check", dir.path().string(), "--json"});
  EXPECT_EQ(r.code, 1) << r.err;
  const json files = json::parse(r.out).at("files");
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0].at("file"), "ParGen.xml");
  EXPECT_EQ(files[0].at("status"), "failed");
  EXPECT_EQ(files[0].at("message"), "Error EtherNet/IP Master!! IP Address 4 must be between 0 and 255");
  EXPECT_EQ(files[1].at("status"), "ok");
  EXPECT_TRUE(files[1].at("message").is_null());
  ASSERT_EQ(files[1].at("warnings").size(), 1u);
  EXPECT_NE(files[1].at("warnings")[0].get<std::string>().find("enabled for the image compiler"), std::string::npos);
  EXPECT_EQ(files[2].at("status"), "ok");
  ASSERT_EQ(files[2].at("warnings").size(), 1u);
  // Row 2 holds TimeOut "0", the default of its missing attribute: data that saving drops with the row.
  EXPECT_NE(files[2].at("warnings")[0].get<std::string>().find("row 2"), std::string::npos);
  EXPECT_EQ(files[3].at("status"), "malformed");
  EXPECT_NE(files[3].at("message").get<std::string>().find("line 1"), std::string::npos);

  // --write rewrites only the files that pass, as OK would; the failing and the malformed are untouched.
  const std::string parGen = readText(dir / "ParGen.xml");
  const std::string send = readText(dir / "CAN_Send_Frames.xml");
  EXPECT_EQ(cli({"check", dir.path().string(), "--write"}).code, 1);
  EXPECT_EQ(readText(dir / "ParGen.xml"), parGen);
  EXPECT_EQ(readText(dir / "CAN_Send_Frames.xml"), send);
  EXPECT_FALSE(fs::exists(dir / "CAN_Send_Frames.xml.bak"));
  EXPECT_EQ(readText(dir / "CAN_Rec_Frames.xml").find("kept?"), std::string::npos);  // dropped, as OK drops it
  EXPECT_NE(readText(dir / "CAN_Rec_Frames.xml").find("<!--SW_VERSION = 1.000-->"), std::string::npos);
}

TEST(CliCheck, MissingFilesPassAndArgumentsAreChecked) {
  TempDir dir;
  const CliRun r = cli({"check", dir.path().string()});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "ParGen.xml: missing\nEtherNetIP_Master_Rules.xml: missing\nCAN_Rec_Frames.xml: missing\n"
            "CAN_Send_Frames.xml: missing\n");
  EXPECT_EQ(cli({"check", (dir / "nowhere").string()}).code, 2);
  EXPECT_EQ(cli({"check"}).code, 2);
}

TEST(CliMap, ConflictsAndAreasAsTheImageUsesThem) {
  TempDir dir;
  writeText(dir / "CAN_Rec_Frames.xml",
            "<R><row Enable=\"Y\" COBID=\"0x10\" Dim=\"2\" Byte1=\"3\" Byte2=\"3\"/>"
            "<row Enable=\" y\" COBID=\"0x11\" Dim=\"1\" Byte1=\"4\"/></R>");
  writeText(dir / "CAN_Send_Frames.xml", "<T><row COBID=\"0x20\" Dim=\"1\" Byte1=\"9\"/></T>");
  writeText(dir / "EtherNetIP_Master_Rules.xml",
            "<E><row Enable=\"Y\" IP_Address=\"10.0.0.1\" Num_Input=\"4\" Num_Output=\"2\"/></E>");

  const CliRun r = cli({"map", dir.path().string(), "--json"});
  ASSERT_EQ(r.code, 0) << r.err;
  const json map = json::parse(r.out);
  EXPECT_EQ(map.at("conflicts"), json::array({3}));
  ASSERT_EQ(map.at("positions").size(), 2u);  // 4 is not compiled: the compiler wants exactly "Y"
  EXPECT_EQ(map.at("positions")[1].at("position"), 9);
  EXPECT_TRUE(map.at("positions")[1].at("notPutByCan").get<bool>());
  EXPECT_EQ(map.at("etherNetIP").at("connections")[0].at("input").at("length"), 4);

  const CliRun text = cli({"map", dir.path().string()});
  EXPECT_EQ(text.code, 0);
  EXPECT_NE(text.out.find("3: CONFLICT: put by receive row 1 (CobID 0x10, byte 1), receive row 1 (CobID 0x10, byte 2)"),
            std::string::npos)
      << text.out;

  writeText(dir / "CAN_Rec_Frames.xml", "<R>");
  EXPECT_EQ(cli({"map", dir.path().string()}).code, 1);
}

}  // namespace
}  // namespace konfex

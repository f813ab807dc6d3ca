#include "core/image/data_map.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace konfex::test {
namespace {

TEST(DataMapTest, ExplainsTheImageNotTheScreen) {
  TempDir dir;
  const ProjectPaths paths = ProjectPaths::in(dir.path());
  writeText(paths.receiveFrames,
            "<Receive_Frames>"
            "<row Enable=\"Y\" COBID=\"0x123\" Dim=\"2\" Byte1=\"0\" Byte2=\"1\"/>"
            "<row Enable=\"N\" COBID=\"0x124\" Dim=\"1\" Byte1=\"0\"/>"   // disabled: not compiled
            "<row Enable=\" y\" COBID=\"0x125\" Dim=\"1\" Byte1=\"0\"/>"  // the compiler wants exactly Y
            "<row COBID=\"0x126\" Dim=\"1\" Byte1=\"1\" Byte2=\"9\"/>"    // Byte2 beyond the length
            "<row Enable=\"Y\" COBID=\"0x1000\" CAN_Type=\"2.0B (29 bits)\" Dim=\"2\" Byte1=\"20\" Byte2=\"20\"/>"
            "<row Enable=\"Y\" COBID=\"1\" Dim=\"1\" Byte1=\"1500\"/>"
            "</Receive_Frames>");
  writeText(paths.sendFrames,
            "<Transmit_Frames><row Enable=\"Y\" COBID=\"0x200\" Dim=\"2\" Byte1=\"0\" Byte2=\"7\"/></Transmit_Frames>");
  writeText(paths.connections,
            "<E><row Enable=\"Y\" IP_Address=\"10.0.0.1\" Num_Input=\"4\" Num_Output=\"2\"/>"
            "<row Enable=\"N\" IP_Address=\"10.0.0.2\" Num_Input=\"9\"/>"
            "<row Enable=\"Y\" IP_Address=\"10.0.0.3\" Num_Input=\"6\" Num_Output=\"3\"/></E>");

  const DataMap map = buildDataMap(compileImage(paths));
  EXPECT_EQ(map.receiveFrames, 4u);
  EXPECT_EQ(map.sendFrames, 1u);
  EXPECT_EQ(map.conflicts, (std::vector<uint16_t>{1, 20}));  // two frames at 1; two bytes of one frame at 20

  ASSERT_EQ(map.positions.size(), 4u);
  const PositionUse& p0 = map.positions[0];
  EXPECT_EQ(p0.position, 0);
  ASSERT_EQ(p0.puts.size(), 1u);
  EXPECT_EQ(p0.puts[0].row, 1);
  EXPECT_EQ(p0.puts[0].identifier, 0x123u);
  ASSERT_EQ(p0.takes.size(), 1u);
  EXPECT_EQ(p0.takes[0].byte, 1);
  EXPECT_EQ(map.positions[1].puts[1].row, 4);
  EXPECT_EQ(map.positions[2].position, 7);
  EXPECT_TRUE(map.positions[2].takenWithoutPut());
  ASSERT_EQ(map.positions[3].puts.size(), 2u);
  EXPECT_TRUE(map.positions[3].puts[0].extended);
  EXPECT_EQ(map.positions[3].puts[1].byte, 2);

  ASSERT_EQ(map.outside.size(), 1u);
  EXPECT_EQ(map.outside[0].position, 1500);
  EXPECT_EQ(map.outside[0].use.row, 6);

  ASSERT_EQ(map.connections.size(), 2u);
  EXPECT_EQ(map.connections[1].ip, (std::array<uint8_t, 4>{10, 0, 0, 3}));
  EXPECT_EQ(map.connections[1].inputOffset, 4);
  EXPECT_EQ(map.connections[1].outputOffset, 2);
  EXPECT_EQ(map.inputTotal, 10u);
}

}  // namespace
}  // namespace konfex::test

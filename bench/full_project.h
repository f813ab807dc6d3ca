// A full configuration on disk: 10 enabled connections, 512 receive and 512 send frames.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace konfex::bench {

inline void writeFile(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

inline std::filesystem::path writeFullProject(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder / "bin");
  writeFile(
      folder / "ParGen.xml",
      "<Par_Gen>\n  <EtherNetIP_Master_IP1>192</EtherNetIP_Master_IP1>\n  "
      "<EtherNetIP_Master_IP2>168</EtherNetIP_Master_IP2>\n"
      "  <EtherNetIP_Master_IP3>0</EtherNetIP_Master_IP3>\n  <EtherNetIP_Master_IP4>5</EtherNetIP_Master_IP4>\n"
      "  <EtherNetIP_Master_SM1>255</EtherNetIP_Master_SM1>\n  <EtherNetIP_Master_SM2>255</EtherNetIP_Master_SM2>\n"
      "  <EtherNetIP_Master_SM3>255</EtherNetIP_Master_SM3>\n  <EtherNetIP_Master_SM4>0</EtherNetIP_Master_SM4>\n"
      "  <EtherNetIP_Master_GAT1>192</EtherNetIP_Master_GAT1>\n  <EtherNetIP_Master_GAT2>168</EtherNetIP_Master_GAT2>\n"
      "  <EtherNetIP_Master_GAT3>0</EtherNetIP_Master_GAT3>\n  <EtherNetIP_Master_GAT4>1</EtherNetIP_Master_GAT4>\n"
      "  <EtherNetIP_Master_EN_GAT>1</EtherNetIP_Master_EN_GAT>\n  "
      "<EtherNetIP_Master_Port>44818</EtherNetIP_Master_Port>\n"
      "  <CAN_BAUDRATE>7</CAN_BAUDRATE>\n</Par_Gen>\n<!--SW_VERSION = 1.000-->\n");
  std::string conn = "<EtherNetIP_Master_Access>\n";
  for (int i = 0; i < 10; ++i)
    conn += "  <row Enable=\"Y\" IP_Address=\"192.168.0." + std::to_string(20 + i) +
            "\" Start_Input=\"0\" Num_Input=\"100\" Start_Output=\"0\" Num_Output=\"100\" Time_Poll=\"100\" "
            "Instance_T_O=\"1\" Connection_Point_T_O=\"100\" Instance_O_T=\"1\" Connection_Point_O_T=\"101\" "
            "Dim_Header_T_O=\"Default\" Dim_Header_O_T=\"Default\" Mnemonic=\"Adapter " +
            std::to_string(i) + "\"/>\n";
  writeFile(folder / "EtherNetIP_Master_Rules.xml", conn + "</EtherNetIP_Master_Access>\n<!--SW_VERSION = 1.005-->\n");
  std::string rx = "<Receive_Frames>\n", tx = "<Transmit_Frames>\n";
  for (int i = 0; i < 512; ++i) {
    std::string bytes;
    for (int k = 1; k <= 8; ++k)
      bytes += " Byte" + std::to_string(k) + "=\"" + std::to_string((i * 8 + k) % 1500) + "\"";
    rx += "  <row Enable=\"Y\" COBID=\"" + std::to_string(0x100 + i) +
          "\" CAN_Type=\"2.0A (11 bits)\" Dim=\"8\" TimeOut=\"500\"" + bytes + " Mnemonic=\"rx\"/>\n";
    tx += "  <row Enable=\"Y\" COBID=\"" + std::to_string(0x18000000 + i) +
          "\" CAN_Type=\"2.0B (29 bits)\" Dim=\"8\" OnChange=\"Y\" OnCMD=\"N\" OnTimer=\"Y\" Time=\"100\"" + bytes +
          " Mnemonic=\"tx\"/>\n";
  }
  writeFile(folder / "CAN_Rec_Frames.xml", rx + "</Receive_Frames>\n<!--SW_VERSION = 1.000-->\n");
  writeFile(folder / "CAN_Send_Frames.xml", tx + "</Transmit_Frames>\n<!--SW_VERSION = 1.000-->\n");
  return folder;
}

}  // namespace konfex::bench

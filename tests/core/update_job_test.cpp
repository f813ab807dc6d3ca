#include <gtest/gtest.h>

#include "core/app/app_state.h"
#include "core/io/text.h"
#include "core/update/job_file.h"
#include "test_support.h"

namespace konfex {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr const char* kHead =
    "<Ethernet_Update>\n"
    "  <Version>1000</Version>\n"
    "  <Title>Veltrona - QS40213 Ethernet Update</Title>\n"
    "  <IP_Address_Dev>192.168.2.205</IP_Address_Dev>\n"
    "  <Application_Port>10000</Application_Port>\n"
    "  <Boot_Port>2008</Boot_Port>\n"
    "  <Boot_Port_Sec>2007</Boot_Port_Sec>\n"
    "  <Address_Protection>0x78000</Address_Protection>\n"
    "  <Protections>\n"
    "    <Protection>0x5C7</Protection>\n"
    "  </Protections>\n";

std::string firmwareOperation(const char* readBack, const char* goToAppAfter) {
  return std::string(
             "    <Operation>\n"
             "      <Ope_Protection_Enabled />\n"
             "      <Ope_GoToBoot_Before>0</Ope_GoToBoot_Before>\n"
             "      <Ope_GoToApp_Before>0</Ope_GoToApp_Before>\n"
             "      <Ope_IP_Address />\n"
             "      <Ope_Port>2008</Ope_Port>\n"
             "      <Ope_Port_Sec>2007</Ope_Port_Sec>\n"
             "      <Ope_Erase_Memory>0</Ope_Erase_Memory>\n"
             "      <Ope_FileName>/opt/konfex/MASTER/Sim40213.sim</Ope_FileName>\n"
             "      <Ope_Start_Address>0x8000</Ope_Start_Address>\n"
             "      <Ope_Memory_Type>0</Ope_Memory_Type>\n"
             "      <Ope_Bank_Type>1</Ope_Bank_Type>\n"
             "      <Ope_Read_Back>") +
         readBack +
         "</Ope_Read_Back>\n"
         "      <Ope_Write_CSS>1</Ope_Write_CSS>\n"
         "      <Ope_Address_CSS>0x78100</Ope_Address_CSS>\n"
         "      <Ope_Command_CSS>0x0B</Ope_Command_CSS>\n"
         "      <Ope_GoToApp_After>" +
         goToAppAfter +
         "</Ope_GoToApp_After>\n"
         "    </Operation>\n";
}

std::string configurationOperation(const char* readBack) {
  return std::string(
             "    <Operation>\n"
             "      <Ope_Protection_Enabled />\n"
             "      <Ope_GoToBoot_Before>0</Ope_GoToBoot_Before>\n"
             "      <Ope_GoToApp_Before>0</Ope_GoToApp_Before>\n"
             "      <Ope_IP_Address />\n"
             "      <Ope_Port>2008</Ope_Port>\n"
             "      <Ope_Port_Sec>2007</Ope_Port_Sec>\n"
             "      <Ope_Erase_Memory>0</Ope_Erase_Memory>\n"
             "      <Ope_FileName>/opt/konfex/PROJECTS/Line 7/bin/bank.bin</Ope_FileName>\n"
             "      <Ope_Start_Address>0x60000</Ope_Start_Address>\n"
             "      <Ope_Memory_Type>0</Ope_Memory_Type>\n"
             "      <Ope_Bank_Type>2</Ope_Bank_Type>\n"
             "      <Ope_Read_Back>") +
         readBack +
         "</Ope_Read_Back>\n"
         "      <Ope_Write_CSS>0</Ope_Write_CSS>\n"
         "      <Ope_Address_CSS>0x50100</Ope_Address_CSS>\n"
         "      <Ope_Command_CSS>0x0B</Ope_Command_CSS>\n"
         "      <Ope_Write_Internal_Data>0</Ope_Write_Internal_Data>\n"
         "      <Ope_WID_Address>0x78200</Ope_WID_Address>\n"
         "      <Ope_WID_Command>0x0B</Ope_WID_Command>\n"
         "      <Ope_WID_Data>0x00, 0x00, 0x00, 0x01</Ope_WID_Data>\n"
         "      <Ope_GoToApp_After>1</Ope_GoToApp_After>\n"
         "    </Operation>\n";
}

JobRequest request(UpdateOption option, bool readBack) {
  return {"192.168.2.205", option, readBack, "/opt/konfex/MASTER/Sim40213.sim",
          "/opt/konfex/PROJECTS/Line 7/bin/bank.bin"};
}

TEST(JobFile, HoldsTheElementsInOrderForEachOption) {
  const std::string tail = "  </Operations>\n</Ethernet_Update>\n";
  struct Case {
    UpdateOption option;
    bool readBack;
    std::string operations;
  };
  const Case cases[] = {
      {UpdateOption::FirmwareAndConfiguration, true, firmwareOperation("1", "0") + configurationOperation("1")},
      {UpdateOption::Firmware, false, firmwareOperation("0", "1")},
      {UpdateOption::Configuration, true, configurationOperation("1")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(jobFileXml(request(c.option, c.readBack)), kHead + std::string("  <Operations>\n") + c.operations + tail)
        << static_cast<int>(c.option);
  }
}

TEST(JobFile, IsReplacedWholeOrNotAtAll) {
  TempDir dir;
  const fs::path job = dir / "Ethernet_Update.xml";
  test::writeText(job, "old");
  writeJobFile(job, request(UpdateOption::Configuration, false));
  EXPECT_EQ(test::readText(job), jobFileXml(request(UpdateOption::Configuration, false)));
  EXPECT_EQ(test::fileNames(dir.path()), std::vector<std::string>{"Ethernet_Update.xml"}) << "no temporary left";

  fs::remove(job);
  fs::create_directory(job);  // nothing can replace a folder
  EXPECT_THROW(writeJobFile(job, request(UpdateOption::Configuration, false)), FileError);
  EXPECT_EQ(test::fileNames(dir.path()), std::vector<std::string>{"Ethernet_Update.xml"});
}

TEST(JobFile, PathsComeFromAnAbsoluteCleanProgramFolder) {
  TempDir dir;
  fs::create_directories(dir / "a" / "b");
  const fs::path previous = fs::current_path();
  fs::current_path(dir / "a");
  struct Case {
    std::string home;
    fs::path expected;
  };
  const Case cases[] = {
      {"b", dir / "a" / "b"},
      {"b/", dir / "a" / "b"},
      {"./b/../b//", dir / "a" / "b"},
      {dir.path().string() + "/a/b/", dir / "a" / "b"},
  };
  for (const Case& c : cases) {
    const WorkingFolders folders = WorkingFolders::at(programFolder("/unused", c.home.c_str()));
    EXPECT_EQ(folders.program, c.expected) << c.home;
    EXPECT_EQ(folders.updater, c.expected / "Ethernet_Update") << c.home;
    EXPECT_EQ(folders.updaterJob, c.expected / "Ethernet_Update.xml") << c.home;
    const std::string xml =
        jobFileXml({"1.2.3.4", UpdateOption::Firmware, true, folders.master / kFirmwareFileName, {}});
    EXPECT_NE(xml.find("<Ope_FileName>" + utf8String(c.expected) + "/MASTER/Sim40213.sim</Ope_FileName>"),
              std::string::npos)
        << c.home;
  }
  EXPECT_EQ(WorkingFolders::at("b/").program, dir / "a" / "b");
  fs::current_path(previous);
}

// A job as the dialog writes it, whose files exist.
struct WrittenJob {
  TempDir dir;
  fs::path file = dir / "Ethernet_Update.xml";
  std::string xml;
  WrittenJob() {
    test::writeText(dir / "MASTER" / "Sim40213.sim", "firmware");
    test::writeText(dir / "PROJECTS" / "Line" / "bin" / "bank.bin", std::string(35136, 'b'));
    xml = jobFileXml({"127.0.0.1", UpdateOption::FirmwareAndConfiguration, true, dir / "MASTER" / "Sim40213.sim",
                      dir / "PROJECTS" / "Line" / "bin" / "bank.bin"});
  }
  // The written job with one text replaced.
  std::string with(const std::string& from, const std::string& to) const {
    std::string s = xml;
    const size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? s : s.replace(at, from.size(), to);
  }
};

TEST(JobFile, ReadsBackWhatTheDialogWrote) {
  WrittenJob w;
  test::writeText(w.file, w.xml);
  const UpdateJob job = readJobFile(w.file);
  EXPECT_EQ(job.title, "Veltrona - QS40213 Ethernet Update");
  EXPECT_EQ(job.device, (Ipv4{127, 0, 0, 1}));
  EXPECT_EQ(job.applicationPort, 10000);
  EXPECT_EQ(job.bootPort, 2008);
  EXPECT_EQ(job.bootPortSec, 2007);
  EXPECT_EQ(job.addressProtection, 0x78000u);
  EXPECT_EQ(job.protections, std::vector<uint32_t>{0x5C7});
  ASSERT_EQ(job.operations.size(), 2u);
  const JobOperation& fw = job.operations[0];
  const JobOperation& cfg = job.operations[1];
  EXPECT_EQ(fw.label(), "firmware");
  EXPECT_EQ(fw.data, "firmware");
  EXPECT_EQ(fw.startAddress, 0x8000u);
  EXPECT_EQ(fw.startAddressText, "0x8000");
  EXPECT_EQ(fw.address, job.device);
  EXPECT_EQ(fw.port, 2008);
  EXPECT_EQ(fw.portSec, 2007);
  EXPECT_TRUE(fw.readBack && fw.writeCss && !fw.writeInternalData && !fw.goToAppAfter && !fw.protectionEnabled);
  EXPECT_EQ(fw.addressCss, 0x78100u);
  EXPECT_EQ(fw.commandCss, 0x0B);
  EXPECT_EQ(cfg.label(), "configuration");
  EXPECT_EQ(cfg.data.size(), 35136u);
  EXPECT_EQ(cfg.startAddress, 0x60000u);
  EXPECT_TRUE(cfg.readBack && !cfg.writeCss && !cfg.writeInternalData && cfg.goToAppAfter);
  EXPECT_EQ(cfg.widAddress, 0x78200u);
  EXPECT_EQ(cfg.widData, (std::vector<uint8_t>{0, 0, 0, 1}));
}

TEST(JobFile, RefusesWhatCannotBeCarriedOutAndSaysWhy) {
  WrittenJob w;
  struct Case {
    std::string xml;
    std::string said;
  };
  const Case cases[] = {
      {"<Ethernet_Update><Version>1000", "not well-formed XML"},
      {"<Other/>", "root element Ethernet_Update is missing"},
      {w.with("<Version>1000</Version>", "<Version>2000</Version>"), "Version \"2000\" is not supported"},
      {w.with("<IP_Address_Dev>127.0.0.1<", "<IP_Address_Dev>127.0.0<"), "IP_Address_Dev \"127.0.0\""},
      {w.with("<IP_Address_Dev>127.0.0.1<", "<IP_Address_Dev>0x7F.0.0.1<"), "no dotted IPv4 address"},
      {w.with("<Boot_Port>2008</Boot_Port>", ""), "the element Boot_Port is missing"},
      {w.with("<Application_Port>10000<", "<Application_Port>70000<"), "Application_Port 70000 is out of range"},
      {w.with("<Ope_Port>2008<", "<Ope_Port>0<"), "Operation 1: Ope_Port must not be 0"},
      {w.with("<Ope_Read_Back>1<", "<Ope_Read_Back>yes<"), "Operation 1: Ope_Read_Back \"yes\" is neither 0 nor 1"},
      {w.with("<Ope_Start_Address>0x8000<", "<Ope_Start_Address>../x<"), "Ope_Start_Address \"../x\" is no number"},
      {w.with("<Ope_Start_Address>0x8000<", "<Ope_Start_Address>+0x8000<"), "may hold only digits"},
      {w.with("<Ope_Memory_Type>0<", "<Ope_Memory_Type>3<"), "Ope_Memory_Type 3 is not supported"},
      {w.with("0x00, 0x00, 0x00, 0x01", "0x00, 0x100"), "Operation 2: Ope_WID_Data: \"0x100\" is no byte value"},
      {w.with("Sim40213.sim<", "Missing.sim<"), "Operation 1: the file to send cannot be read"},
      {w.with(w.dir.path().string() + "/MASTER/Sim40213.sim<", "/dev/zero<"), "/dev/zero is not a plain file"},
  };
  for (const Case& c : cases) {
    try {
      parseJob(c.xml, w.file);
      ADD_FAILURE() << "accepted: " << c.said;
    } catch (const JobError& e) {
      const std::string what = e.what();
      EXPECT_EQ(what.rfind(w.file.string() + ": ", 0), 0u) << what;
      EXPECT_NE(what.find(c.said), std::string::npos) << what;
    }
  }
  try {
    readJobFile(w.dir / "none.xml");
    ADD_FAILURE() << "a missing job file was accepted";
  } catch (const JobError& e) {
    EXPECT_NE(std::string(e.what()).find("the job file is missing"), std::string::npos) << e.what();
  }
}

TEST(Ipv4Text, TakesFourPlainDecimalParts) {
  EXPECT_EQ(parseIpv4("192.168.2.205"), (Ipv4{192, 168, 2, 205}));
  EXPECT_EQ(parseIpv4("0.0.0.0"), (Ipv4{0, 0, 0, 0}));
  EXPECT_EQ(parseIpv4("255.255.255.255"), (Ipv4{255, 255, 255, 255}));
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1..2.3", "1.2.3.256", " 1.2.3.4", "1.2.3.4 ", "01.2.3.4",
                          "0x0A.0.0.1", "+1.2.3.4", "a.b.c.d", "1.2.3.4\n", "1234.1.1.1", "localhost"})
    EXPECT_FALSE(parseIpv4(bad)) << '"' << bad << '"';
  EXPECT_EQ(ipv4Text({10, 0, 0, 1}), "10.0.0.1");
}

}  // namespace
}  // namespace konfex

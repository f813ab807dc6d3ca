// The updater as a real program against real servers on 127.0.0.1: the simulator, Debian's tftpd-hpa,
// and small stand-ins for devices that go quiet. Nothing is sent anywhere else.
#include <unistd.h>

#include <atomic>
#include <thread>

#include "core/update/tftp.h"
#include "platform/udp.h"
#include "update_fixture.h"

namespace konfex::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr Ipv4 kLoopback{127, 0, 0, 1};

uint16_t closedPort() {
  UdpSocket probe(kLoopback);
  return probe.localPort();  // free again once the probe is gone
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(UpdaterTest, UpdatesTheSimulatorAndReadsBack) {
  struct Case {
    const char* name;
    std::vector<std::string> simulatorArgs;
    bool primaryIsClosed;  // the job's first port has no listener: the secondary one is used
  };
  const Case cases[] = {
      {"plain", {}, false},
      {"from the secondary port", {}, true},
      {"losing a fifth of the datagrams", {"--drop", "0.2"}, false},
  };
  for (const Case& c : cases) {
    const fs::path saved = home_ / ("saved-" + std::to_string(&c - cases));
    fs::create_directories(saved);
    std::vector<std::string> args{"--app-port", "0", "--boot-port", "0", "--save", saved.string()};
    args.insert(args.end(), c.simulatorArgs.begin(), c.simulatorArgs.end());
    Simulated device(args);
    ASSERT_TRUE(device.ready()) << device.process.err();
    const uint16_t closed = closedPort();
    writeText(jobFile(), c.primaryIsClosed
                             ? job(UpdateOption::FirmwareAndConfiguration, closed, device.bootPort, device.appPort)
                             : job(UpdateOption::FirmwareAndConfiguration, device.bootPort, closed, device.appPort));
    const Run run = runUpdater();
    EXPECT_EQ(run.code, 0) << c.name << "\n" << run.out << run.err << device.process.out();
    EXPECT_TRUE(sameBytes(bytesOf(readText(saved / "0x60000.bin")), bytesOf(readText(bank())))) << c.name;
    EXPECT_TRUE(sameBytes(bytesOf(readText(saved / "0x8000.bin")), bytesOf(readText(firmware())))) << c.name;
    for (const char* line : {"operation 1 of 2 (firmware)", "operation 1: read back 32768 bytes: equal to the file",
                             "operation 2: read back 35136 bytes: equal to the file", "done: 2 operations"})
      EXPECT_TRUE(contains(run.out, line)) << c.name << ": " << line << "\n" << run.out;
    device.process.terminate();
    const std::string log = device.process.out();
    for (const char* line : {"firmware: simulated QD40213 firmware 1.000, intact", "command WRITE 12 bytes at 0x78100",
                             "configuration: CAN bit rate", "valid", "command GOTOAPP: the application runs (firmware"})
      EXPECT_TRUE(contains(log, line)) << c.name << ": " << line << "\n" << log;
  }
}

TEST_F(UpdaterTest, JobProblemsStopItBeforeAnythingIsSent) {
  UdpSocket device(kLoopback);  // would see any datagram the updater sent
  const std::string good = job(UpdateOption::FirmwareAndConfiguration, device.localPort(), device.localPort());
  struct Case {
    const char* name;
    std::optional<std::string> xml;  // nullopt: no job file
    const char* said;
  };
  const auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string s = good;
    return s.replace(s.find(from), from.size(), to);
  };
  const Case cases[] = {
      {"no job file", std::nullopt, "the job file is missing"},
      {"not XML", std::string("<Ethernet_Update>"), "not well-formed XML"},
      {"a file to send is missing", replaced("bank.bin<", "gone.bin<"), "the file to send cannot be read"},
      {"no usable address", replaced(">127.0.0.1<", ">127.0.0<"), "IP_Address_Dev \"127.0.0\""},
  };
  for (const Case& c : cases) {
    fs::remove(jobFile());
    if (c.xml) writeText(jobFile(), *c.xml);
    const Run run = runUpdater();
    EXPECT_EQ(run.code, 2) << c.name;
    EXPECT_TRUE(contains(run.err, "error: ")) << c.name << ": " << run.err;
    EXPECT_TRUE(contains(run.err, c.said)) << c.name << ": " << run.err;
    EXPECT_FALSE(device.receive(0ms)) << c.name << ": something was sent";
  }
}

TEST_F(UpdaterTest, WithoutADeviceItFailsInBoundedTimeAndSaysWhy) {
  // Nothing listens on either port: the system says so at once.
  const uint16_t a = closedPort(), b = closedPort();
  writeText(jobFile(), job(UpdateOption::Configuration, a, b));
  Run run = runUpdater();
  EXPECT_EQ(run.code, 1);
  EXPECT_LT(run.took, 3s);
  EXPECT_TRUE(contains(run.err, "no answer from 127.0.0.1 on port " + std::to_string(a) +
                                    " (nothing listens there) or " + std::to_string(b) + " (nothing listens there)"))
      << run.err;

  // Something listens but never answers: each port gets its few tries.
  UdpSocket silent1(kLoopback), silent2(kLoopback);
  writeText(jobFile(), job(UpdateOption::Configuration, silent1.localPort(), silent2.localPort()));
  run = runUpdater();
  EXPECT_EQ(run.code, 1);
  EXPECT_GT(run.took, 3s);
  EXPECT_LT(run.took, 8s);
  EXPECT_TRUE(contains(run.err, "no answer from 127.0.0.1 on port " + std::to_string(silent1.localPort()) + " or " +
                                    std::to_string(silent2.localPort()) + " to the write of 0x60000"))
      << run.err;
}

// A device that takes the write, acknowledges its first blocks and then vanishes.
TEST_F(UpdaterTest, ADeviceThatVanishesMidwayEndsItWithinSeconds) {
  UdpSocket listener(kLoopback);
  std::atomic<bool> stop{false};
  std::thread device([&] {
    std::optional<Received> request;
    while (!stop && !(request = listener.receive(50ms))) {
    }
    if (!request) return;
    UdpSocket transfer(kLoopback);
    transfer.sendTo(request->from, tftp::optionAck({{"blksize", "512"}}));
    for (int acked = 0; acked < 3 && !stop;) {
      const std::optional<Received> r = transfer.receive(50ms);
      if (!r) continue;
      const auto p = tftp::parse(r->bytes);
      if (p && p->opcode == tftp::Opcode::Data) {
        transfer.sendTo(r->from, tftp::ack(p->block));
        ++acked;
      }
    }
    while (!stop) transfer.receive(50ms);  // hears the repeats, answers nothing
  });
  std::string xml = job(UpdateOption::Configuration, listener.localPort(), 0);
  xml.replace(xml.find("<Boot_Port_Sec>0<"), 17, "<Boot_Port_Sec><");
  xml.replace(xml.find("<Ope_Port_Sec>0<"), 16, "<Ope_Port_Sec><");
  writeText(jobFile(), xml);
  const Run run = runUpdater();
  stop = true;
  device.join();
  EXPECT_EQ(run.code, 1) << run.out << run.err;
  EXPECT_LT(run.took, 8s);
  EXPECT_TRUE(contains(run.err, "during the write of 0x60000: the device is gone")) << run.err;
}

// Debian's tftpd-hpa, an independent implementation of the protocol, stands in for the device.
class TftpdTest : public UpdaterTest {
 protected:
  void SetUp() override {
    UpdaterTest::SetUp();
    if (!fs::exists(kServer)) GTEST_SKIP() << kServer << " is not installed (package tftpd-hpa)";
    if (geteuid() != 0) GTEST_SKIP() << "tftpd-hpa serves a folder of its own only when started as root";
    fs::create_directories(root_);
  }
  // Starts the server on a free port of 127.0.0.1; `extra` are further options.
  uint16_t start(const std::vector<std::string>& extra = {}) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      const uint16_t port = closedPort();
      std::vector<std::string> argv{kServer,       "--foreground", "--address", "127.0.0.1:" + std::to_string(port),
                                    "--secure",    "--create",     "--user",    "root",
                                    "--blocksize", "1468"};
      argv.insert(argv.end(), extra.begin(), extra.end());
      argv.push_back(root_.string());
      server_ = std::make_unique<ChildProcess>(argv);
      if (!server_->wait(300ms)) return port;  // still running: it is listening
    }
    ADD_FAILURE() << "tftpd-hpa did not start: " << server_->err();
    return 0;
  }
  static constexpr const char* kServer = "/usr/sbin/in.tftpd";
  fs::path root_ = home_ / "tftp";
  std::unique_ptr<ChildProcess> server_;
};

TEST_F(TftpdTest, TakesTheConfigurationAndGivesItBack) {
  const uint16_t port = start();
  ASSERT_NE(port, 0);
  std::string xml = job(UpdateOption::Configuration, port, closedPort());
  xml.replace(xml.find("<Ope_GoToApp_After>1<"), 21, "<Ope_GoToApp_After>0<");  // a plain server has no commands
  writeText(jobFile(), xml);
  const Run run = runUpdater();
  EXPECT_EQ(run.code, 0) << run.out << run.err;
  EXPECT_TRUE(contains(run.out, "operation 1: read back 35136 bytes: equal to the file")) << run.out;
  EXPECT_TRUE(sameBytes(bytesOf(readText(root_ / "0x60000")), bytesOf(readText(bank()))));
}

TEST_F(TftpdTest, AReadBackThatDiffersFailsTheUpdate) {
  // Reads of 0x60000 are served from another file, so what comes back is not what was written.
  std::string other = readText(bank());
  other[100] = static_cast<char>(other[100] ^ 0x5A);
  writeText(root_ / "other.bin", other);
  writeText(home_ / "remap", "rG ^0x60000$ other.bin\n");
  const uint16_t port = start({"--map-file", (home_ / "remap").string()});
  ASSERT_NE(port, 0);
  std::string xml = job(UpdateOption::Configuration, port, closedPort());
  xml.replace(xml.find("<Ope_GoToApp_After>1<"), 21, "<Ope_GoToApp_After>0<");
  writeText(jobFile(), xml);
  const Run run = runUpdater();
  EXPECT_EQ(run.code, 1) << run.out << run.err;
  EXPECT_TRUE(contains(run.err, "the data read back differs from the file at offset 100")) << run.err;
}

TEST_F(UpdaterTest, TheWindowClosesAfterSuccessAndStaysAfterFailure) {
  Simulated device({"--app-port", "0", "--boot-port", "0"});
  ASSERT_TRUE(device.ready());
  writeText(jobFile(), job(UpdateOption::Configuration, device.bootPort, closedPort()));
  Run run = runUpdater(false, 20s);
  EXPECT_EQ(run.code, 0) << "the window closed by itself after success" << run.err;

  writeText(jobFile(), job(UpdateOption::Configuration, closedPort(), closedPort()));
  run = runUpdater(false, 4s);
  EXPECT_FALSE(run.code) << "after a failure the window waits to be closed";
}

}  // namespace
}  // namespace konfex::test

// konfex-devsim: a stand-in for the gateway on the updater's ports. A TFTP server (RFC 1350 with the
// block-size option) on the boot port and the device's few commands, over a memory image of the device.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <list>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <string>

#include "core/update/address.h"
#include "core/update/tftp.h"
#include "platform/udp.h"

namespace konfex {

struct SimulatorOptions {
  Ipv4 address{127, 0, 0, 1};
  uint16_t appPort = 10000;
  uint16_t bootPort = 2008;
  double drop = 0.0;                 // share of datagrams lost at random, each way
  std::filesystem::path saveFolder;  // empty: nothing saved
  uint32_t seed = 0;                 // for the losses; 0: a random seed
};

inline constexpr uint32_t kSimMemorySize = 0x80000;
inline constexpr uint32_t kConfigurationAddress = 0x60000;
inline constexpr uint32_t kFirmwareAddress = 0x8000;
inline constexpr uint32_t kCheckRecordAddress = 0x78100;

class Simulator {
 public:
  // Opens both ports; throws SocketError.
  Simulator(const SimulatorOptions& options, std::ostream& log);

  uint16_t appPort() const { return app_.localPort(); }
  uint16_t bootPort() const { return boot_.localPort(); }
  // Serves until `stop` is set; it is looked at every 50 ms.
  void run(const std::atomic<bool>& stop);
  // Serves for up to `slice`.
  void serve(std::chrono::milliseconds slice);

  const std::string& memory() const { return memory_; }
  bool inApplication() const { return application_; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Transfer {
    explicit Transfer(UdpSocket s) : socket(std::move(s)) {}
    UdpSocket socket;
    Endpoint peer;
    bool writing = false;
    std::string name;
    uint32_t address = 0;
    size_t length = 0;  // reads: bytes to send; writes: bytes received so far
    size_t blockSize = tftp::kDefaultBlockSize;
    uint16_t block = 0;  // writes: last block acknowledged; reads: block in flight
    std::string lastSent;
    Clock::time_point sentAt;
    bool repeated = false;
    int timeouts = 0;
    bool complete = false;
    Clock::time_point lastHeard;
    tftp::RetransmitTimer timer{std::chrono::milliseconds(100)};  // updaters sit close by
    Clock::time_point started;
    int repeats = 0;
  };

  void onApplicationPort(const Received& r);
  void onBootPort(const Received& r);
  void onTransfer(Transfer& t, const Received& r);
  void startTransfer(const tftp::Packet& request, const Endpoint& from);
  void sendData(Transfer& t, bool again);
  void finishWrite(Transfer& t);
  void tick();
  std::string command(const std::string& text, bool applicationPort);
  void send(UdpSocket& socket, const Endpoint& to, const std::string& bytes);
  bool lost();
  void line(const std::string& text);

  SimulatorOptions options_;
  std::ostream& log_;
  UdpSocket app_;
  UdpSocket boot_;
  std::list<Transfer> transfers_;
  std::string memory_;
  std::map<uint32_t, size_t> written_;  // start address -> length of the last write there
  bool application_ = true;
  std::mt19937 random_;
  std::uniform_real_distribution<double> chance_{0.0, 1.0};
};

// The one-line summary of a configuration image as the simulator prints it.
std::string configurationSummary(std::string_view image);

}  // namespace konfex

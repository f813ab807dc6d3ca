// The updater's job file Ethernet_Update.xml: written by the update dialog in the program folder, read
// and checked by the updater before it sends anything.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/io/files.h"
#include "core/update/address.h"

namespace konfex {

inline constexpr const char* kJobFileName = "Ethernet_Update.xml";
inline constexpr const char* kFirmwareFileName = "Sim40213.sim";
// Far more than the device's memory, and what one TFTP transfer can move at the block size the updater asks.
inline constexpr uintmax_t kMaxFileToSend = 64u << 20;

// The update options of the dialog, by index.
enum class UpdateOption { FirmwareAndConfiguration = 0, Firmware = 1, Configuration = 2 };

struct JobRequest {
  std::string address;  // the dialog's four fields joined with points, as they stand
  UpdateOption option = UpdateOption::FirmwareAndConfiguration;
  bool readBack = true;
  std::filesystem::path firmwareFile;  // MASTER/Sim40213.sim
  std::filesystem::path bankFile;      // <configuration>/bin/bank.bin
};

// The job file's bytes.
std::string jobFileXml(const JobRequest& request);
// Replaces the job file atomically; throws FileError (the old file, if any, stays as it was).
void writeJobFile(const std::filesystem::path& file, const JobRequest& request);

// A job file that cannot be carried out; the message says which file and element and why.
class JobError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct JobOperation {
  bool protectionEnabled = false;
  bool goToBootBefore = false;
  bool goToAppBefore = false;
  Ipv4 address{};  // Ope_IP_Address, or the device address when that is empty
  uint16_t port = 0;
  uint16_t portSec = 0;  // 0: none
  bool eraseMemory = false;
  std::filesystem::path fileName;
  std::string data;  // the file's bytes, read when the job is checked
  uint32_t startAddress = 0;
  std::string startAddressText;  // as the job writes it: the name of the transfer
  int memoryType = 0;
  int bankType = 0;
  bool readBack = false;
  bool writeCss = false;
  uint32_t addressCss = 0;
  uint8_t commandCss = 0;
  bool writeInternalData = false;
  uint32_t widAddress = 0;
  uint8_t widCommand = 0;
  std::vector<uint8_t> widData;
  bool goToAppAfter = false;

  std::string label() const;  // "firmware", "configuration", "bank N"
};

struct UpdateJob {
  std::string title;
  Ipv4 device{};
  uint16_t applicationPort = 0;
  uint16_t bootPort = 0;
  uint16_t bootPortSec = 0;
  uint32_t addressProtection = 0;
  std::vector<uint32_t> protections;
  std::vector<JobOperation> operations;
};

// Reads and checks the job, and reads every file it names; throws JobError before anything is sent.
UpdateJob readJobFile(const std::filesystem::path& file);
UpdateJob parseJob(std::string_view xml, const std::filesystem::path& nameForErrors);

}  // namespace konfex

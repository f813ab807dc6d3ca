// The device update's parsers on arbitrary input: TFTP packets, device commands and replies, the dotted
// address rule and the job file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/update/address.h"
#include "core/update/device_command.h"
#include "core/update/job_file.h"
#include "core/update/tftp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace konfex;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto p = tftp::parse(text)) {
    (void)tftp::describe(*p);
    (void)tftp::blockSize(p->options);
    // What parses as data or an acknowledgement is rebuilt byte for byte.
    if (p->opcode == tftp::Opcode::Data && tftp::data(p->block, p->data) != text) __builtin_trap();
    if (p->opcode == tftp::Opcode::Ack && tftp::ack(p->block) != text) __builtin_trap();
  }
  if (const auto c = devcmd::parseCommand(text)) {
    if (!devcmd::parseCommand(devcmd::format(*c))) __builtin_trap();
  }
  (void)devcmd::parseReply(text);
  (void)devcmd::bytesFromHex(text);
  if (const auto a = parseIpv4(text)) {
    if (ipv4Text(*a) != text) __builtin_trap();  // the rule accepts only the one spelling
  }
  try {
    (void)parseJob(text, "fuzz.xml");
  } catch (const JobError&) {
  }
  return 0;
}

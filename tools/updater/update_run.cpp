#include "update_run.h"

#include <chrono>
#include <cstdio>

#include "core/io/text.h"

namespace konfex {

namespace {

std::string seconds(std::chrono::steady_clock::duration d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f s", std::chrono::duration<double>(d).count());
  return buf;
}

// The first offset where the two differ, or the shorter length when one is a prefix of the other.
size_t firstDifference(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return i;
  return n;
}

}  // namespace

uint64_t transferTotal(const UpdateJob& job) {
  uint64_t total = 0;
  for (const JobOperation& op : job.operations) total += op.data.size() * (op.readBack ? 2u : 1u);
  return total;
}

std::string describe(const UpdateJob& job, size_t index) {
  const JobOperation& op = job.operations[index];
  return "operation " + std::to_string(index + 1) + " of " + std::to_string(job.operations.size()) + " (" + op.label() +
         "): " + utf8String(op.fileName) + ", " + std::to_string(op.data.size()) + " bytes at " + op.startAddressText;
}

UpdateResult runUpdate(const UpdateJob& job, UpdateReport& report, const std::atomic<bool>& cancel, LinkLimits limits) {
  const auto started = std::chrono::steady_clock::now();
  const uint64_t total = transferTotal(job);
  uint64_t done = 0;
  report.progress(0, total);
  report.step("device " + ipv4Text(job.device) + ", " + std::to_string(job.operations.size()) + " operation" +
              (job.operations.size() == 1 ? "" : "s") + ", " + std::to_string(total) + " bytes to transfer");
  DeviceLink link(cancel, limits);
  for (size_t i = 0; i < job.operations.size(); ++i) {
    const JobOperation& op = job.operations[i];
    const std::string tag = "operation " + std::to_string(i + 1) + ": ";
    report.operation(i, OperationState::Running);
    report.step(describe(job, i));
    try {
      const PortChoice boot{op.address, op.port, op.portSec};
      if (op.goToBootBefore) {
        link.command({op.address, job.applicationPort, 0}, devcmd::kGoToBoot, {});
        report.step(tag + "the application restarted into the boot loader");
      }
      if (op.goToAppBefore) {
        link.command(boot, devcmd::kGoToApp, {});
        report.step(tag + "the application was started");
      }
      if (op.protectionEnabled) {
        for (const uint32_t code : job.protections)
          link.command(boot, devcmd::kUnlock, {devcmd::hexAddress(job.addressProtection), devcmd::hexAddress(code)});
        report.step(tag + "protection unlocked at " + devcmd::hexAddress(job.addressProtection));
      }
      if (op.eraseMemory) {
        link.command(boot, devcmd::kErase, {devcmd::hexAddress(op.startAddress), std::to_string(op.data.size())});
        report.step(tag + "erased " + std::to_string(op.data.size()) + " bytes at " + op.startAddressText);
      }
      const auto t0 = std::chrono::steady_clock::now();
      const uint64_t before = done;
      const uint16_t port = link.write(boot, op.startAddressText, op.data, [&](size_t n) {
        done = before + n;
        report.progress(done, total);
      });
      report.step(tag + "wrote " + std::to_string(op.data.size()) + " bytes to port " + std::to_string(port) + " in " +
                  seconds(std::chrono::steady_clock::now() - t0));
      if (op.readBack) {
        const uint64_t base = done;
        const std::string back = link.read(boot, op.startAddressText, op.data.size(), [&](size_t n) {
          done = base + n;
          report.progress(done, total);
        });
        done = base + op.data.size();
        report.progress(done, total);
        if (back != op.data) {
          const size_t at = firstDifference(back, op.data);
          throw LinkError(back.size() < op.data.size() && at == back.size()
                              ? "read back only " + std::to_string(back.size()) + " of " +
                                    std::to_string(op.data.size()) + " bytes"
                              : "the data read back differs from the file at offset " + std::to_string(at));
        }
        report.step(tag + "read back " + std::to_string(back.size()) + " bytes: equal to the file");
      }
      if (op.writeCss) {
        link.command(
            boot, op.commandCss,
            {devcmd::hexAddress(op.addressCss), devcmd::hexBytes(devcmd::cssRecord(op.startAddress, op.data))});
        report.step(tag + "check record written at " + devcmd::hexAddress(op.addressCss));
      }
      if (op.writeInternalData) {
        const std::string bytes(op.widData.begin(), op.widData.end());
        link.command(boot, op.widCommand, {devcmd::hexAddress(op.widAddress), devcmd::hexBytes(bytes)});
        report.step(tag + "internal data written at " + devcmd::hexAddress(op.widAddress));
      }
      if (op.goToAppAfter) {
        link.command(boot, devcmd::kGoToApp, {});
        report.step(tag + "the application was started");
      }
    } catch (const std::exception& e) {
      // LinkError, or SocketError when the system refused a datagram.
      report.operation(i, OperationState::Failed);
      return {false, tag + e.what()};
    }
    report.operation(i, OperationState::Done);
  }
  report.step("done: " + std::to_string(job.operations.size()) + " operation" +
              (job.operations.size() == 1 ? "" : "s") + ", " + std::to_string(total) + " bytes in " +
              seconds(std::chrono::steady_clock::now() - started));
  return {true, {}};
}

}  // namespace konfex

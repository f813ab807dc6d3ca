// What the updater's tests share: a program folder with a configuration image and the firmware, job files
// aimed at ports on 127.0.0.1, and the updater run as a real child process.
#pragma once

#include <chrono>
#include <filesystem>
#include <span>
#include <string>

#include <gtest/gtest.h>

#include "child_process.h"
#include "core/image/bank_image.h"
#include "core/update/job_file.h"
#include "test_support.h"

namespace konfex::test {

inline std::span<const uint8_t> bytesOf(const std::string& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

class UpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(home_ / "MASTER");
    std::filesystem::copy_file(programPath("MASTER") / kFirmwareFileName, firmware());
    std::filesystem::create_directories(bank().parent_path());
    writeImage(bank(), compileImage(ProjectPaths::in(home_ / "PROJECTS" / "Line")).image);
  }

  std::filesystem::path firmware() const { return home_ / "MASTER" / kFirmwareFileName; }
  std::filesystem::path bank() const { return home_ / "PROJECTS" / "Line" / "bin" / "bank.bin"; }
  std::filesystem::path jobFile() const { return home_ / kJobFileName; }

  // The dialog's job with the ports (primary, secondary, application) moved to the test's own.
  std::string job(UpdateOption option, uint16_t primary, uint16_t secondary, uint16_t application = 9,
                  const std::string& address = "127.0.0.1") const {
    std::string xml = jobFileXml({address, option, true, firmware(), bank()});
    const auto replaceAll = [&xml](const std::string& from, const std::string& to) {
      for (size_t at = xml.find(from); at != std::string::npos; at = xml.find(from, at + to.size()))
        xml.replace(at, from.size(), to);
    };
    replaceAll(">2008<", ">" + std::to_string(primary) + "<");
    replaceAll(">2007<", ">" + std::to_string(secondary) + "<");
    replaceAll(">10000<", ">" + std::to_string(application) + "<");
    return xml;
  }

  struct Run {
    std::optional<int> code;
    std::string out, err;
    std::chrono::milliseconds took;
  };
  Run runUpdater(bool headless = true, std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> argv{programPath("Ethernet_Update").string()};
    if (headless) argv.push_back("--headless");
    ChildProcess updater(argv, {"KONFEX_HOME=" + home_.path().string(), "QT_QPA_PLATFORM=offscreen"});
    Run run;
    run.code = updater.wait(limit);
    run.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    updater.terminate();
    run.out = updater.out();
    run.err = updater.err();
    return run;
  }

  TempDir home_;
};

}  // namespace konfex::test

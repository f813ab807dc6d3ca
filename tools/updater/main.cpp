// Ethernet_Update: carries out the job file that the configurator left in the program folder.
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <optional>

#include <CLI/CLI.hpp>
#include <QApplication>

#include "core/app/app_state.h"
#include "core/app/program_location.h"
#include "core/io/text.h"
#include "core/update/job_file.h"
#include "platform/process.h"
#include "update_run.h"
#include "updater_window.h"

namespace {

class PrintedReport final : public konfex::UpdateReport {
 public:
  void step(const std::string& line) override { std::cout << line << std::endl; }
  void progress(uint64_t, uint64_t) override {}
  void operation(size_t, konfex::OperationState) override {}
};

}  // namespace

int main(int argc, char** argv) {
  CLI::App cli{"Carries out the job file Ethernet_Update.xml of the program folder: the transfers to the device."};
  bool headless = false;
  cli.add_flag("--headless", headless, "run without a window and print one line per step");
  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = cli.exit(e);
    return code == 0 ? 0 : 2;
  }

  // The program folder by the configurator's own rule, so the job is found where it was written.
  const konfex::ProgramEnvironment env{std::getenv("KONFEX_HOME"), std::getenv("XDG_DATA_HOME"), std::getenv("HOME")};
  const std::filesystem::path jobFile =
      konfex::WorkingFolders::at(konfex::locateProgram(konfex::executableFolder(argv[0]), env).program).updaterJob;

  std::optional<konfex::UpdateJob> job;
  std::string problem;
  try {
    job = konfex::readJobFile(jobFile);
  } catch (const konfex::JobError& e) {
    problem = e.what();
  }

  if (headless) {
    if (!job) {
      std::cerr << "error: " << problem << std::endl;
      return 2;
    }
    std::cout << "job " << konfex::utf8String(jobFile) << std::endl;
    PrintedReport report;
    const std::atomic<bool> cancel{false};
    const konfex::UpdateResult result = konfex::runUpdate(*job, report, cancel);
    if (!result.ok) {
      std::cerr << "error: " << result.reason << std::endl;
      return 1;
    }
    return 0;
  }

  QApplication app(argc, argv);
  konfex::UpdaterWindow window(std::move(job), problem);
  window.show();
  app.exec();
  return window.exitCode();
}

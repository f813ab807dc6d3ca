// Updating a full configuration image into the simulator on the loopback: the write, the read-back and
// the commands of the configuration operation, plain and with a fifth of the datagrams lost each way.
#include <atomic>
#include <ostream>
#include <streambuf>
#include <thread>

#include <benchmark/benchmark.h>

#include "core/image/bank_image.h"
#include "core/io/files.h"
#include "full_project.h"
#include "simulator.h"
#include "update_run.h"

namespace {

using namespace konfex;

class Silent final : public UpdateReport {
 public:
  void step(const std::string&) override {}
  void progress(uint64_t, uint64_t) override {}
  void operation(size_t, OperationState) override {}
};

struct NullBuffer final : std::streambuf {
  int overflow(int c) override { return c; }
};

std::string fullBank() {
  const auto folder = std::filesystem::temp_directory_path() / "konfex-bench-update";
  bench::writeFullProject(folder);
  const Image image = compileImage(ProjectPaths::in(folder)).image;
  std::filesystem::remove_all(folder);
  return std::string(image.begin(), image.end());
}

void updateIntoSimulator(benchmark::State& state, double drop) {
  NullBuffer nothing;
  std::ostream log(&nothing);
  SimulatorOptions options;
  options.appPort = 0;
  options.bootPort = 0;
  options.drop = drop;
  options.seed = 40213;
  Simulator simulator(options, log);
  std::atomic<bool> stop{false};
  std::thread device([&] { simulator.run(stop); });

  UpdateJob job;
  job.device = options.address;
  job.applicationPort = simulator.appPort();
  job.bootPort = simulator.bootPort();
  JobOperation op;
  op.address = job.device;
  op.port = simulator.bootPort();
  op.data = fullBank();
  op.startAddress = 0x60000;
  op.startAddressText = "0x60000";
  op.bankType = 2;
  op.readBack = true;
  op.goToAppAfter = true;
  job.operations.push_back(op);

  Silent report;
  const std::atomic<bool> cancel{false};
  for (auto _ : state) {
    const UpdateResult result = runUpdate(job, report, cancel);
    if (!result.ok) state.SkipWithError(result.reason.c_str());
  }
  stop = true;
  device.join();
  if (simulator.memory().compare(0x60000, op.data.size(), op.data) != 0) state.SkipWithError("the image differs");
  // Effective throughput: the image's bytes per second of the whole update, read-back included.
  state.counters["image_bytes_per_s"] =
      benchmark::Counter(static_cast<double>(op.data.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_UpdateFullImage(benchmark::State& state) {
  updateIntoSimulator(state, 0.0);
}
void BM_UpdateFullImageDropping20Percent(benchmark::State& state) {
  updateIntoSimulator(state, 0.2);
}

BENCHMARK(BM_UpdateFullImage)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateFullImageDropping20Percent)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();

// Start-up until the main window is shown with every dialog created, a language switch, and the
// peak memory of the process afterwards.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <benchmark/benchmark.h>
#include <QApplication>

#include "core/app/app_state.h"
#include "core/lang/text_table.h"
#include "gui/app/main_window.h"

namespace konfex::bench {

struct NullMessages final : MessageBoxes {
  void error(const std::string&) override {}
  void warning(const std::string&) override {}
  bool question(const std::string&) override { return false; }
};
struct NullBrowser final : Browser {
  void open(const std::string&) override {}
};
struct NullLauncher final : ProgramLauncher {
  std::unique_ptr<RunningProgram> start(const std::filesystem::path&, const std::string&, bool) override {
    return nullptr;
  }
};
struct NullClock final : Clock {
  std::chrono::milliseconds now() override { return {}; }
  void sleep(std::chrono::milliseconds) override {}
};

struct Fixture {
  NullMessages messages;
  NullBrowser browser;
  NullLauncher launcher;
  NullClock clock;
  std::filesystem::path home = std::filesystem::temp_directory_path() / "konfex-bench-home";
};

void reportPeakMemory(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_StartUpUntilShown(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) {
    AppState appState(f.home);
    TextTable texts;
    MainWindow window(appState, texts, {f.messages, f.browser, f.launcher, f.clock}, "http://maker.test");
    window.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(window.isVisible());
  }
  reportPeakMemory(state);
}
BENCHMARK(BM_StartUpUntilShown)->Unit(benchmark::kMillisecond);

void BM_ChangeLanguage(benchmark::State& state) {
  Fixture f;
  AppState appState(f.home);
  TextTable texts;
  MainWindow window(appState, texts, {f.messages, f.browser, f.launcher, f.clock}, "http://maker.test");
  window.show();
  QApplication::processEvents();
  for (auto _ : state) {
    loadLanguage(texts, appState.folders().language, "English");
    window.changeLanguage();
  }
  reportPeakMemory(state);
}
BENCHMARK(BM_ChangeLanguage)->Unit(benchmark::kMillisecond);

}  // namespace konfex::bench

// The first start in a fresh process pays for the toolkit, fonts and styles: measured once, from before the
// application object exists until the main window is shown with every dialog created.
void reportColdStart(int& argc, char** argv, std::unique_ptr<QApplication>& app) {
  const auto begin = std::chrono::steady_clock::now();
  app = std::make_unique<QApplication>(argc, argv);
  konfex::bench::Fixture f;
  konfex::AppState appState(f.home);
  konfex::TextTable texts;
  konfex::MainWindow window(appState, texts, {f.messages, f.browser, f.launcher, f.clock}, "http://maker.test");
  window.show();
  QApplication::processEvents();
  const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin);
  std::printf("cold start-up until the main window is shown: %.1f ms\n", elapsed.count());
}

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::unique_ptr<QApplication> app;
  reportColdStart(argc, argv, app);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Start-up until the main window is shown with every dialog created, a language switch, the table
// editors shown with full files beside a bare view fill, and the peak memory of the process afterwards.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>

#include "core/app/app_state.h"
#include "core/editors/editors.h"
#include "core/lang/text_table.h"
#include "full_project.h"
#include "gui/app/main_window.h"
#include "gui/editors/can_frames_dialog.h"
#include "gui/editors/connections_dialog.h"
#include "gui/editors/par_gen_dialog.h"

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

// A switch among the five shipped languages, each a full file, as the options dialog does it.
void BM_SwitchShippedLanguages(benchmark::State& state) {
  namespace fs = std::filesystem;
  Fixture f;
  const fs::path home = fs::temp_directory_path() / "konfex-bench-languages";
  fs::create_directories(home / "LANGUAGE");
  for (const auto& entry : fs::directory_iterator(KONFEX_LANGUAGE_DIR))
    fs::copy_file(entry.path(), home / "LANGUAGE" / entry.path().filename(), fs::copy_options::overwrite_existing);
  AppState appState(home);
  TextTable texts;
  MainWindow window(appState, texts, {f.messages, f.browser, f.launcher, f.clock}, "http://maker.test");
  window.show();
  QApplication::processEvents();
  const char* languages[] = {"Deutsch", "English", "Espa\u00f1ol", "Fran\u00e7ais", "Italiano"};
  size_t next = 0;
  for (auto _ : state) {
    loadLanguage(texts, appState.folders().language, languages[next++ % 5]);
    window.changeLanguage();
  }
  reportPeakMemory(state);
}
BENCHMARK(BM_SwitchShippedLanguages)->Unit(benchmark::kMillisecond);

// ---- Table editors

// A main window whose active configuration is a full project: 10 connections, 512 + 512 CAN frames.
struct FullProjectWindow {
  Fixture f;
  AppState appState{f.home};
  TextTable texts;
  std::unique_ptr<MainWindow> window;
  FullProjectWindow() {
    writeFullProject(f.home / "PROJECTS" / "Full");
    window = std::make_unique<MainWindow>(
        appState, texts, MainWindow::Services{f.messages, f.browser, f.launcher, f.clock}, "http://maker.test");
    appState.setActiveConfiguration("Full");
  }
};

void showOnce(QWidget& dialog) {
  dialog.show();
  QApplication::processEvents();
  dialog.hide();
}

// The floor a table dialog is held to: the same 512 x 18 texts put into a plain item model and shown in a
// bare QTableView of the send table's size.
double bareFillMs(const std::vector<QString>& texts, int rows, int columns) {
  const auto begin = std::chrono::steady_clock::now();
  QStandardItemModel model(rows, columns);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      model.setItem(r, c, new QStandardItem(texts[static_cast<size_t>(r * columns + c)]));
  QTableView view;
  view.resize(1100, 228);
  view.setModel(&model);
  view.show();
  QApplication::processEvents();
  view.hide();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
}

std::vector<QString> sendFrameTexts(const std::filesystem::path& file) {
  CanFramesEditor editor(CanFramesEditor::Direction::Send);
  editor.load(file);
  const Grid& grid = editor.grid();
  std::vector<QString> texts;
  for (int r = 1; r <= grid.rowCount(); ++r)
    for (int c = 0; c < grid.columnCount(); ++c) texts.push_back(QString::fromStdString(grid.cell(r, c)));
  return texts;
}

double medianBareFillMs(const std::vector<QString>& texts) {
  std::vector<double> times;
  for (int i = 0; i < 15; ++i) times.push_back(bareFillMs(texts, 512, 18));
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void BM_BareTableViewFill512x18(benchmark::State& state) {
  Fixture f;
  writeFullProject(f.home / "PROJECTS" / "Full");
  const std::vector<QString> texts = sendFrameTexts(f.home / "PROJECTS" / "Full" / "CAN_Send_Frames.xml");
  for (auto _ : state) {
    const double ms = bareFillMs(texts, 512, 18);
    state.SetIterationTime(ms / 1000.0);
  }
}
BENCHMARK(BM_BareTableViewFill512x18)->UseManualTime()->Unit(benchmark::kMillisecond);

// Showing a CAN dialog reloads its 512-row file, refreshes the grid and paints it. Reported beside the
// bare fill measured in the same run, and their ratio.
void showCanDialog(benchmark::State& state, bool send) {
  FullProjectWindow p;
  QWidget& dialog = send ? static_cast<QWidget&>(p.window->sendFramesDialog())
                         : static_cast<QWidget&>(p.window->receiveFramesDialog());
  showOnce(dialog);  // the first showing creates the platform window
  const double bare = medianBareFillMs(sendFrameTexts(p.f.home / "PROJECTS" / "Full" / "CAN_Send_Frames.xml"));
  double total = 0;
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    showOnce(dialog);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    total += ms;
    state.SetIterationTime(ms / 1000.0);
  }
  state.counters["bare_fill_ms"] = bare;
  state.counters["ratio_to_bare"] = total / static_cast<double>(state.iterations()) / bare;
}
void BM_ShowReceiveFrames512(benchmark::State& state) {
  showCanDialog(state, false);
}
void BM_ShowSendFrames512(benchmark::State& state) {
  showCanDialog(state, true);
}
BENCHMARK(BM_ShowReceiveFrames512)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowSendFrames512)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ShowConnectionsFull(benchmark::State& state) {
  FullProjectWindow p;
  QWidget& dialog = p.window->connectionsDialog();
  showOnce(dialog);
  for (auto _ : state) showOnce(dialog);
}
BENCHMARK(BM_ShowConnectionsFull)->Unit(benchmark::kMillisecond);

// OK on a shown send table with 512 frames: validation, the drop check, the atomic save and the close.
void BM_OkSendFrames512(benchmark::State& state) {
  FullProjectWindow p;
  CanFramesDialog& dialog = p.window->sendFramesDialog();
  showOnce(dialog);
  auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("Btn_OK"));
  for (auto _ : state) {
    state.PauseTiming();
    dialog.show();
    QApplication::processEvents();
    state.ResumeTiming();
    ok->click();
  }
  if (dialog.isVisible()) state.SkipWithError("OK did not close the dialog");
}
BENCHMARK(BM_OkSendFrames512)->Unit(benchmark::kMillisecond);

// The peak resident memory with every dialog created and each editor shown with its full file, the two
// 512-row tables open at the same time. The high-water mark is reset first where the system allows it,
// so the earlier benchmarks of this process do not count.
long statusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::strtol(line.c_str() + key.size(), nullptr, 10);
  return -1;
}

void BM_PeakMemoryAllDialogsShown(benchmark::State& state) {
  const bool reset = static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5");
  for (auto _ : state) {
    FullProjectWindow p;
    p.window->show();
    QWidget* editors[] = {&p.window->parGenDialog(), &p.window->connectionsDialog(), &p.window->receiveFramesDialog(),
                          &p.window->sendFramesDialog()};
    for (QWidget* dialog : editors) dialog->show();
    QApplication::processEvents();
    for (QWidget* dialog : editors) dialog->hide();
  }
  state.counters["peak_MB"] = static_cast<double>(statusKb("VmHWM")) / 1024.0;
  state.counters["hwm_reset"] = reset ? 1 : 0;
}
BENCHMARK(BM_PeakMemoryAllDialogsShown)->Iterations(1)->Unit(benchmark::kMillisecond);

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

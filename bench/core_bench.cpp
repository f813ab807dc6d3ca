// Compile of a full project against the floor set by parsing its four files, and the language load.
#include <benchmark/benchmark.h>

#include "core/editors/editors.h"
#include "core/image/bank_image.h"
#include "core/image/data_map.h"
#include "core/io/xml.h"
#include "core/lang/text_table.h"
#include "full_project.h"

namespace konfex::bench {
namespace {

std::filesystem::path projectFolder() {
  static const std::filesystem::path folder =
      writeFullProject(std::filesystem::temp_directory_path() / "konfex-bench-project");
  return folder;
}

void BM_CompileFullProject(benchmark::State& state) {
  const ProjectPaths paths = ProjectPaths::in(projectFolder());
  for (auto _ : state) {
    const CompileResult r = compileImage(paths);
    benchmark::DoNotOptimize(r.checksum);
    if (r.frameRecords != 1024 || r.connectionRecords != 10) state.SkipWithError("not a full project");
  }
}
BENCHMARK(BM_CompileFullProject)->Unit(benchmark::kMicrosecond);

// The floor: reading and parsing the same four files with pugixml, nothing else.
void BM_ParseFullProjectOnly(benchmark::State& state) {
  const ProjectPaths paths = ProjectPaths::in(projectFolder());
  for (auto _ : state) {
    for (const auto* file : {&paths.parGen, &paths.connections, &paths.receiveFrames, &paths.sendFrames}) {
      pugi::xml_document doc;
      loadXmlFile(doc, *file, XmlText::DropBlankText);
      benchmark::DoNotOptimize(doc.first_child());
    }
  }
}
BENCHMARK(BM_ParseFullProjectOnly)->Unit(benchmark::kMicrosecond);

void BM_CompileAndWrite(benchmark::State& state) {
  const ProjectPaths paths = ProjectPaths::in(projectFolder());
  for (auto _ : state) writeImage(paths.bankImage, compileImage(paths).image);
}
BENCHMARK(BM_CompileAndWrite)->Unit(benchmark::kMicrosecond);

// What OK does in a CAN dialog with 512 rows: validate the grid, build the XML and write it atomically.
void BM_ValidateAndSave512Rows(benchmark::State& state) {
  const ProjectPaths paths = ProjectPaths::in(projectFolder());
  const bool send = state.range(0) != 0;
  CanFramesEditor editor(send ? CanFramesEditor::Direction::Send : CanFramesEditor::Direction::Receive);
  const auto& file = send ? paths.sendFrames : paths.receiveFrames;
  editor.load(file);
  const TextTable texts;
  const auto out = std::filesystem::temp_directory_path() / "konfex-bench-save.xml";
  for (auto _ : state) {
    if (editor.validate(texts)) state.SkipWithError("the full project does not validate");
    editor.save(out);
  }
}
BENCHMARK(BM_ValidateAndSave512Rows)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Showing a CAN dialog starts with this: fresh rows, then the 512-row file.
void BM_Load512Rows(benchmark::State& state) {
  const ProjectPaths paths = ProjectPaths::in(projectFolder());
  CanFramesEditor editor(CanFramesEditor::Direction::Send);
  for (auto _ : state) benchmark::DoNotOptimize(editor.load(paths.sendFrames).status);
}
BENCHMARK(BM_Load512Rows)->Unit(benchmark::kMicrosecond);

void BM_DataMapFullProject(benchmark::State& state) {
  const ProjectPaths paths = ProjectPaths::in(projectFolder());
  for (auto _ : state) {
    const DataMap map = buildDataMap(compileImage(paths));
    benchmark::DoNotOptimize(map.positions.size());
  }
}
BENCHMARK(BM_DataMapFullProject)->Unit(benchmark::kMicrosecond);

void BM_LoadLanguage(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() / "konfex-bench-language";
  std::filesystem::create_directories(folder);
  TextTable full;
  for (int i = 0; i < kTextCount; ++i) full.set(i, "Text number " + std::to_string(i));
  writeFile(folder / "Full.lng", full.toLanguageFile());
  TextTable table;
  for (auto _ : state) benchmark::DoNotOptimize(loadLanguage(table, folder, "Full"));
}
BENCHMARK(BM_LoadLanguage)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace konfex::bench

BENCHMARK_MAIN();

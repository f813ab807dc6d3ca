// Decoding EDS files of 1 and 10 MB from disk: the budget is 20 ms for 1 MB, and the decode must be linear
// (10 MB at most 12 times the 1 MB time).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "core/editors/eds.h"
#include "core/io/files.h"

namespace konfex::bench {
namespace {

// A file shaped like the EDS files of real adapters: parameter and assembly sections that the decoder
// passes over, then a connection section whose entries spread over lines with comments; repeated to size.
std::string edsText(size_t bytes) {
  std::string text =
      "$ EDS file for the decode benchmark\n[File]\n        DescText = \"Benchmark adapter\";\n"
      "        CreateDate = 01-15-2024;\n[Device]\n        VendCode = 65535;\n        ProdName = \"Bench\";\n";
  for (int block = 0; text.size() < bytes; ++block) {
    text += "[Params]\n";
    for (int p = 0; p < 40; ++p)
      text += "        Param" + std::to_string(p) + " =\n                0,,,0x0000,0xC7,2,\"Parameter " +
              std::to_string(p) + "\",\"\",\"Help text of the parameter\",0,65535,100,,,,,,,;\n";
    text += "[Connection Manager]\n        Object_Name = \"Connection Manager Object\";\n";
    for (int c = 1; c <= 40; ++c) {
      const std::string n = std::to_string(block * 40 + c);
      text += "        Connection" + n +
              " =\n"
              "                0x04010002,             $ trigger and transport\n"
              "                0x44640405,             $ connection parameters\n"
              "                Param1,8,Assem150,      $ O>T RPI, size, format\n"
              "                Param2,8,Assem100,      $ T>O RPI, size, format\n"
              "                ,,                      $ config part 1\n"
              "                ,,                      $ config part 2\n"
              "                \"Exclusive Owner " +
              n +
              "\",\n"
              "                \"\",                     $ help string\n"
              "                \"20 04 24 01 2C 96 2C 64\";      $ path\n";
    }
  }
  return text;
}

void BM_ReadEdsFile(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0)) << 20;
  const auto file =
      std::filesystem::temp_directory_path() / ("konfex-bench-" + std::to_string(state.range(0)) + ".eds");
  writeFileAtomically(file, edsText(bytes));
  size_t listed = 0;
  for (auto _ : state) {
    const auto list = readEdsFile(file);
    listed = list.size();
    benchmark::DoNotOptimize(list.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * std::filesystem::file_size(file)));
  state.counters["connections"] = static_cast<double>(listed);
  std::filesystem::remove(file);
}
BENCHMARK(BM_ReadEdsFile)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace konfex::bench

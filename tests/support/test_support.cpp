#include "test_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>

namespace konfex::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device seed;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "konfex";
  std::replace(name.begin(), name.end(), '/', '_');
  path_ = fs::temp_directory_path() / ("konfex-test-" + name + "-" + std::to_string(seed()));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void writeText(const fs::path& file, std::string_view bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> fileNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

::testing::AssertionResult sameBytes(std::span<const uint8_t> actual, std::span<const uint8_t> expected) {
  const size_t common = std::min(actual.size(), expected.size());
  for (size_t i = 0; i < common; ++i) {
    if (actual[i] != expected[i]) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "first difference at offset %zu (0x%zX): got 0x%02X, expected 0x%02X", i, i,
                    actual[i], expected[i]);
      return ::testing::AssertionFailure() << buf;
    }
  }
  if (actual.size() != expected.size())
    return ::testing::AssertionFailure() << "lengths differ: got " << actual.size() << ", expected " << expected.size();
  return ::testing::AssertionSuccess();
}

std::vector<uint8_t> hexBytes(std::string_view hex) {
  std::vector<uint8_t> out;
  std::string digits;
  for (const char c : hex)
    if (c != ' ' && c != '\n') digits.push_back(c);
  for (size_t i = 0; i + 1 < digits.size(); i += 2)
    out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  return out;
}

}  // namespace konfex::test

// Helpers shared by the tests: a fresh temporary folder per test, file writing, and a byte comparison
// that names the first differing offset.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "core/app/seams.h"

namespace konfex::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void writeText(const std::filesystem::path& file, std::string_view bytes);
std::string readText(const std::filesystem::path& file);

// Names of the files in a folder, sorted.
std::vector<std::string> fileNames(const std::filesystem::path& folder);

// Success when equal; otherwise names the first differing offset and both bytes there.
::testing::AssertionResult sameBytes(std::span<const uint8_t> actual, std::span<const uint8_t> expected);

// Bytes from a text of hexadecimal pairs, blanks ignored: "23 01 00 00".
std::vector<uint8_t> hexBytes(std::string_view hex);

// Message boxes that record what they show and answer questions from a script.
class RecordingMessages final : public MessageBoxes {
 public:
  struct Shown {
    char kind;  // 'E'rror, 'W'arning, 'Q'uestion
    std::string text;
  };
  void error(const std::string& text) override { shown.push_back({'E', text}); }
  void warning(const std::string& text) override { shown.push_back({'W', text}); }
  bool question(const std::string& text) override {
    shown.push_back({'Q', text});
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  std::vector<Shown> shown;
  std::vector<bool> answers;
};

class RecordingBrowser final : public Browser {
 public:
  void open(const std::string& url) override { opened.push_back(url); }
  std::vector<std::string> opened;
};

// A clock whose time moves only when the code under test sleeps.
class FakeClock final : public Clock {
 public:
  std::chrono::milliseconds now() override { return time; }
  void sleep(std::chrono::milliseconds d) override { time += d; }
  std::chrono::milliseconds time{0};
};

}  // namespace konfex::test

// An ICMP client that answers from a script on a fake clock: the timing rules of the reachability check
// can be shown without waiting, and without any network.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/app/seams.h"
#include "core/update/reachability.h"

namespace konfex::test {

class FakeIcmp final : public IcmpClient {
 public:
  struct Answer {
    std::optional<std::chrono::milliseconds> after;  // nullopt: never answered
    size_t bytes = kEchoDataSize;
    std::string failure;  // not empty: sending throws IcmpError with this text
  };
  static Answer answered(std::chrono::milliseconds after = std::chrono::milliseconds(1), size_t bytes = kEchoDataSize) {
    return {after, bytes, {}};
  }
  static Answer silent() { return {}; }
  static Answer failing(std::string why) { return {std::nullopt, 0, std::move(why)}; }

  explicit FakeIcmp(Clock& clock) : clock_(clock) {}

  void sendEcho(const std::string& address) override {
    current_ = script.empty() ? silent() : script[std::min(sent.size(), script.size() - 1)];
    sent.push_back(address);
    waiting_ = false;
    if (!current_.failure.empty()) throw IcmpError(current_.failure);
    sentAt_ = clock_.now();
    waiting_ = true;
  }
  std::optional<size_t> takeReply() override {
    if (!waiting_ || !current_.after || clock_.now() - sentAt_ < *current_.after) return std::nullopt;
    waiting_ = false;
    return current_.bytes;
  }

  // Answers for the requests in turn; the last one stands for all later requests.
  std::vector<Answer> script{answered()};
  std::vector<std::string> sent;

 private:
  Clock& clock_;
  Answer current_;
  std::chrono::milliseconds sentAt_{0};
  bool waiting_ = false;
};

}  // namespace konfex::test

// The libcurl client against a real HTTP server on 127.0.0.1 that this test runs in a thread of its own:
// the exact request on the wire, the answers the version check must read, and the time limit.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/app/version_check.h"
#include "platform/http_curl.h"

namespace konfex::test {
namespace {

using namespace std::chrono_literals;

// Accepts connections one after another, records each request (up to its blank line) and replies with
// what `reply` returns for it; an empty reply keeps the connection open without a word until stop.
class LoopbackServer {
 public:
  explicit LoopbackServer(std::function<std::string(const std::string&)> reply) : reply_(std::move(reply)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 4) != 0)
      throw std::runtime_error("cannot listen on 127.0.0.1");
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~LoopbackServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
  }

  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  int port() const { return port_; }
  std::vector<std::string> requests() {
    const std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  bool readable(int fd) const {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 20) > 0;
  }

  void serve() {
    while (!stop_) {
      if (!readable(listener_)) continue;
      const int connection = ::accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      std::string request;
      char buffer[4096];
      while (!stop_ && request.find("\r\n\r\n") == std::string::npos) {
        if (!readable(connection)) continue;
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
      }
      const std::string answer = reply_(request);
      if (answer.empty()) {
        while (!stop_) readable(connection);  // silent until the test ends
      } else {
        for (size_t sent = 0; sent < answer.size();) {
          const ssize_t n = ::send(connection, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
          if (n <= 0) break;
          sent += static_cast<size_t>(n);
        }
      }
      ::close(connection);
    }
  }

  std::function<std::string(const std::string&)> reply_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

std::string response(int status, const std::string& body) {
  return "HTTP/1.0 " + std::to_string(status) + " X\r\nContent-Type: text/html\r\n\r\n" + body;
}

class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Loopback only: no proxy from the environment may take these requests elsewhere.
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      ::unsetenv(name);
  }

  // Polls like the user-interface timer does until the exchange ends; nullopt if it never does.
  std::optional<HttpAnswer> fetch(const HttpRequest& request, std::chrono::milliseconds patience = 10s) {
    const std::unique_ptr<HttpTransfer> transfer = client_.get(request);
    if (!transfer) return HttpAnswer{};
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!transfer->poll()) {
      if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(5ms);
    }
    return transfer->answer();
  }

  CurlHttpClient client_;
};

TEST_F(HttpTest, SendsExactlyTheVersionRequest) {
  LoopbackServer server([](const std::string&) { return response(200, "VER. 1.000"); });
  const auto answer = fetch(versionRequest(server.base()));
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 200);
  EXPECT_EQ(answer->body, "VER. 1.000");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            "GET /home/download/GetversionSW.asp?nomesw=QS40213 HTTP/1.0\r\n"
            "Host: 127.0.0.1:" +
                std::to_string(server.port()) +
                "\r\n"
                "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
                "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                "\r\n");
}

TEST_F(HttpTest, TheServiceAnswersAreReadByTheVersionRules) {
  struct Case {
    const char* name;
    int status;
    std::string body;
    bool newer;
  };
  const std::string htmlPage = "<!DOCTYPE html>\n<html><body><h1>Service Unavailable</h1></body></html>\n";
  const Case cases[] = {
      {"same version", 200, "VER. 1.000", false},
      {"one step newer", 200, "VER. 1.001", true},
      {"no version in any case", 200, "ver. 0.000", false},
      {"without prefix", 200, "1.100", true},
      {"two digits before the point", 200, "VER. 10.000", false},
      {"too short", 200, "VER. 1.0", false},
      {"empty", 200, "", false},
      {"blanks and line end around it", 200, "  VER. 1.002\r\n", true},
      {"an HTML page", 200, htmlPage, false},
      {"an HTML error page", 500, htmlPage, false},
      {"not found, whatever the body says", 404, "VER. 9.999", false},
      {"a redirect is not followed", 302, "VER. 9.999", false},
  };
  for (const Case& c : cases) {
    LoopbackServer server([&](const std::string&) { return response(c.status, c.body); });
    const auto answer = fetch(versionRequest(server.base()));
    ASSERT_TRUE(answer) << c.name;
    EXPECT_EQ(answer->status, c.status) << c.name;
    EXPECT_EQ(isNewerVersion(*answer), c.newer) << c.name;
  }
}

TEST_F(HttpTest, ASilentServerIsGivenUpAtTheTimeLimit) {
  LoopbackServer server([](const std::string&) { return std::string(); });
  const auto started = std::chrono::steady_clock::now();
  const auto answer = fetch(versionRequest(server.base(), 300ms), 8s);
  ASSERT_TRUE(answer) << "the exchange must end by itself";
  EXPECT_GE(std::chrono::steady_clock::now() - started, 300ms);
  EXPECT_EQ(answer->status, 0);
  EXPECT_FALSE(isNewerVersion(*answer));
  EXPECT_EQ(versionRequest(server.base()).timeLimit, 10s) << "the program's own limit";
}

TEST_F(HttpTest, FailuresGiveNoAnswer) {
  int closedPort = 0;
  {
    LoopbackServer gone([](const std::string&) { return response(200, "VER. 9.999"); });
    closedPort = gone.port();
  }
  const auto refused = fetch(versionRequest("http://127.0.0.1:" + std::to_string(closedPort)));
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 0);

  LoopbackServer flood(
      [](const std::string&) { return response(200, "VER. 9.999" + std::string(CurlHttpClient::kMaxBody, ' ')); });
  const auto tooLong = fetch(versionRequest(flood.base()));
  ASSERT_TRUE(tooLong);
  EXPECT_EQ(tooLong->status, 0) << "an endless answer is cut off, not kept";
  EXPECT_FALSE(isNewerVersion(*tooLong));

  HttpRequest other = versionRequest(flood.base());
  other.url = "file:///etc/hostname";
  const auto file = fetch(other);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->status, 0) << "only http and https";
}

TEST_F(HttpTest, AnAbandonedTransferEndsWithoutWaiting) {
  LoopbackServer server([](const std::string&) { return std::string(); });
  {
    const std::unique_ptr<HttpTransfer> transfer = client_.get(versionRequest(server.base()));
    ASSERT_TRUE(transfer);
    for (int i = 0; i < 20 && server.requests().empty(); ++i) {
      EXPECT_FALSE(transfer->poll());
      std::this_thread::sleep_for(10ms);
    }
  }  // destroyed while the server is still silent
  EXPECT_EQ(server.requests().size(), 1u);
}

}  // namespace
}  // namespace konfex::test

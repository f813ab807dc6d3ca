// The small interfaces through which the program meets the user and the operating system. The real
// implementations live in gui/ and platform/; tests plug in recorders and fakes.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace konfex {

// Modal message boxes: error and warning with an OK button, question with Yes and No.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual void error(const std::string& text) = 0;
  virtual void warning(const std::string& text) = 0;
  virtual bool question(const std::string& text) = 0;  // true for Yes
};

// Opens a web address in the default browser.
class Browser {
 public:
  virtual ~Browser() = default;
  virtual void open(const std::string& url) = 0;
};

class RunningProgram {
 public:
  virtual ~RunningProgram() = default;
  virtual bool hasExited() = 0;
};

class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  // Starts the program; nullptr when it cannot be started. `hidden` asks for no window where the
  // platform has such a choice.
  virtual std::unique_ptr<RunningProgram> start(const std::filesystem::path& program, const std::string& parameters,
                                                bool hidden) = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::milliseconds now() = 0;
  virtual void sleep(std::chrono::milliseconds duration) = 0;
};

// One HTTP GET. The client sends the headers given here and adds none it can avoid.
struct HttpRequest {
  std::string url;
  std::vector<std::pair<std::string, std::string>> headers;  // name, value; in this order
  std::chrono::milliseconds timeLimit{10000};                // for the whole exchange, connecting included
};

struct HttpAnswer {
  int status = 0;  // the HTTP status; 0 when no answer came (no network, refused, out of time, too long)
  std::string body;
  bool ok() const { return status >= 200 && status <= 299; }
};

// A GET in progress. It is advanced by polling, so the caller's thread never blocks on the network;
// destroying it abandons the exchange.
class HttpTransfer {
 public:
  virtual ~HttpTransfer() = default;
  // Moves the exchange on without waiting; true once it has ended (answered, failed or out of time).
  virtual bool poll() = 0;
  // Valid once poll() returned true.
  virtual HttpAnswer answer() const = 0;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // Starts the request; nullptr when it cannot even be started.
  virtual std::unique_ptr<HttpTransfer> get(const HttpRequest& request) = 0;
};

// The open-file dialog: the path the user chose, or nullopt when the user cancelled.
class FilePicker {
 public:
  virtual ~FilePicker() = default;
  // `filter` names the files offered, as "Description (*.ext)".
  virtual std::optional<std::filesystem::path> openFile(const std::string& filter) = 0;
};

}  // namespace konfex

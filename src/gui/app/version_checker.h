// Check_Version without blocking the windows: the request runs while the event loop goes on, and whoever
// asked hears the answer when it is in.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QObject>
#include <QPointer>

#include "core/app/seams.h"

class QTimer;

namespace konfex {

class VersionChecker final : public QObject {
  Q_OBJECT

 public:
  // `http` may be null: every check then finds no newer version.
  VersionChecker(HttpClient* http, std::string makerUrl, QObject* parent);
  ~VersionChecker() override;

  // Asks the maker's service; `done` later gets true when a newer version exists (every failure is a
  // silent false). While a request runs no second one starts: the caller waits for the running one.
  // Nothing is called once `context` is gone.
  void check(QObject* context, std::function<void(bool newer)> done);
  bool running() const { return running_; }

 private:
  void advance();
  void finish(bool newer);

  HttpClient* http_;
  std::string makerUrl_;
  std::unique_ptr<HttpTransfer> transfer_;
  QTimer* poll_;
  bool running_ = false;
  std::vector<std::pair<QPointer<QObject>, std::function<void(bool)>>> waiting_;
};

}  // namespace konfex

#include "gui/app/version_checker.h"

#include <QTimer>

#include "core/app/version_check.h"

namespace konfex {

namespace {
constexpr int kPollMs = 20;  // often enough to notice the answer, rare enough to cost nothing
}

VersionChecker::VersionChecker(HttpClient* http, std::string makerUrl, QObject* parent)
    : QObject(parent), http_(http), makerUrl_(std::move(makerUrl)), poll_(new QTimer(this)) {
  poll_->setInterval(kPollMs);
  connect(poll_, &QTimer::timeout, this, &VersionChecker::advance);
}

VersionChecker::~VersionChecker() = default;

void VersionChecker::check(QObject* context, std::function<void(bool)> done) {
  waiting_.emplace_back(context, std::move(done));
  if (running_) return;
  running_ = true;
  transfer_ = http_ != nullptr ? http_->get(versionRequest(makerUrl_)) : nullptr;
  // Answers always arrive from the event loop, also when the request could not even start.
  poll_->start();
}

void VersionChecker::advance() {
  if (transfer_ && !transfer_->poll()) return;
  finish(transfer_ ? isNewerVersion(transfer_->answer()) : false);
}

void VersionChecker::finish(bool newer) {
  poll_->stop();
  transfer_.reset();
  running_ = false;
  // A caller may start the next check from its handler; it must find this one over.
  const auto waiting = std::move(waiting_);
  waiting_.clear();
  for (const auto& [context, done] : waiting)
    if (context) done(newer);
}

}  // namespace konfex

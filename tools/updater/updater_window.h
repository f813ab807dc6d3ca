// The updater's small window: the operations of the job, one progress bar over the whole transfer and
// the last step. The work runs on a thread of its own, so the window stays live meanwhile.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include <QWidget>

#include "core/update/job_file.h"
#include "update_run.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace konfex {

class UpdaterWindow final : public QWidget {
  Q_OBJECT

 public:
  // With a job: shows its operations and starts at once. Without one: shows why and waits to be closed.
  UpdaterWindow(std::optional<UpdateJob> job, const std::string& problem);
  ~UpdaterWindow() override;

  // 0 after success, 1 after a failed or cancelled update, 2 for a job that could not be used.
  int exitCode() const { return exitCode_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void finished(const UpdateResult& result);

  std::optional<UpdateJob> job_;
  QListWidget* operations_;
  QProgressBar* progress_;
  QLabel* status_;
  QPushButton* close_;
  std::atomic<bool> cancel_{false};
  std::thread worker_;
  bool running_ = false;
  int exitCode_ = 2;
};

}  // namespace konfex

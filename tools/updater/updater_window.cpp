#include "updater_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace konfex {

namespace {

constexpr int kCloseAfterSuccessMs = 1500;

QString q(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Hands the worker's reports to the window's thread.
class WindowReport final : public UpdateReport {
 public:
  WindowReport(QWidget* window, QListWidget* list, QProgressBar* bar, QLabel* status)
      : window_(window), list_(list), bar_(bar), status_(status) {}
  void step(const std::string& line) override {
    QMetaObject::invokeMethod(window_, [s = this->status_, text = q(line)] { s->setText(text); });
  }
  void progress(uint64_t done, uint64_t total) override {
    // The bar counts in thousandths, which fits its int range whatever the sizes.
    const int value = total == 0 ? 1000 : static_cast<int>(done * 1000 / total);
    QMetaObject::invokeMethod(window_, [b = bar_, value] { b->setValue(value); });
  }
  void operation(size_t index, OperationState state) override {
    QMetaObject::invokeMethod(window_, [l = list_, index, state] {
      QListWidgetItem* item = l->item(static_cast<int>(index));
      if (item == nullptr) return;
      static const char* const marks[] = {"", "\u25B6 ", "\u2714 ", "\u2718 "};
      QString text = item->data(Qt::UserRole).toString();
      item->setText(QString::fromUtf8(marks[static_cast<int>(state)]) + text);
    });
  }

 private:
  QWidget* window_;
  QListWidget* list_;
  QProgressBar* bar_;
  QLabel* status_;
};

}  // namespace

UpdaterWindow::UpdaterWindow(std::optional<UpdateJob> job, const std::string& problem) : job_(std::move(job)) {
  setObjectName(QStringLiteral("Ethernet_Update"));
  setWindowTitle(job_ && !job_->title.empty() ? q(job_->title) : QStringLiteral("Ethernet Update"));
  auto* layout = new QVBoxLayout(this);
  operations_ = new QListWidget(this);
  operations_->setObjectName(QStringLiteral("Operations"));
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("Progress"));
  progress_->setRange(0, 1000);
  progress_->setTextVisible(false);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("Status"));
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  close_ = new QPushButton(QStringLiteral("Cancel"), this);
  close_->setObjectName(QStringLiteral("Close"));
  layout->addWidget(operations_);
  layout->addWidget(progress_);
  layout->addWidget(status_);
  layout->addWidget(close_, 0, Qt::AlignRight);
  resize(560, 300);
  connect(close_, &QPushButton::clicked, this, &QWidget::close);

  if (!job_) {
    status_->setText(q("The update was not started: " + problem));
    close_->setText(QStringLiteral("Close"));
    return;
  }
  for (size_t i = 0; i < job_->operations.size(); ++i) {
    auto* item = new QListWidgetItem(q(describe(*job_, i)), operations_);
    item->setData(Qt::UserRole, item->text());
  }
  running_ = true;
  worker_ = std::thread([this] {
    WindowReport report(this, operations_, progress_, status_);
    const UpdateResult result = runUpdate(*job_, report, cancel_);
    QMetaObject::invokeMethod(this, [this, result] { finished(result); });
  });
}

UpdaterWindow::~UpdaterWindow() {
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
}

void UpdaterWindow::finished(const UpdateResult& result) {
  running_ = false;
  if (worker_.joinable()) worker_.join();
  close_->setText(QStringLiteral("Close"));
  if (result.ok) {
    exitCode_ = 0;
    status_->setText(QStringLiteral("The update succeeded."));
    // Shown briefly, then the window goes by itself.
    QTimer::singleShot(kCloseAfterSuccessMs, this, &QWidget::close);
  } else {
    exitCode_ = 1;
    status_->setText(q("The update failed: " + result.reason));
  }
}

void UpdaterWindow::closeEvent(QCloseEvent* event) {
  if (running_) {
    // Stop the transfer first; the window closes once the worker has given up.
    cancel_ = true;
    close_->setEnabled(false);
    status_->setText(QStringLiteral("Cancelling..."));
    event->ignore();
    QTimer::singleShot(0, this, [this] {
      if (worker_.joinable()) worker_.join();
      running_ = false;
      exitCode_ = 1;
      close();
    });
    return;
  }
  event->accept();
}

}  // namespace konfex

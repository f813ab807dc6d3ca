// Carries out a checked job, operation by operation, reporting every step.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/update/job_file.h"
#include "device_link.h"

namespace konfex {

enum class OperationState { Waiting, Running, Done, Failed };

class UpdateReport {
 public:
  virtual ~UpdateReport() = default;
  virtual void step(const std::string& line) = 0;
  virtual void progress(uint64_t done, uint64_t total) = 0;
  virtual void operation(size_t index, OperationState state) = 0;
};

struct UpdateResult {
  bool ok = false;
  std::string reason;  // why it failed
};

// The bytes the progress bar covers: every write, and every read-back.
uint64_t transferTotal(const UpdateJob& job);
// One line describing the operation, for the window's list and the first step line.
std::string describe(const UpdateJob& job, size_t index);

UpdateResult runUpdate(const UpdateJob& job, UpdateReport& report, const std::atomic<bool>& cancel,
                       LinkLimits limits = {});

}  // namespace konfex

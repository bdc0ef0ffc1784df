#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

class TThread;

// Runs a worker's synchronized steps on the test's (main) thread, one batch at a time, and calls
// a test callback after every batch, while the worker waits for its next step. A test acts there
// (cancel, close, switch the style) at a point of the run it chose, instead of sleeping.
class StepDriver {
 public:
  StepDriver();
  ~StepDriver();
  StepDriver(const StepDriver&) = delete;  // the wake-up hook refers to this object
  StepDriver& operator=(const StepDriver&) = delete;

  // Runs queued steps until `done` says the run is over, calling `after` after each batch.
  void RunUntil(const std::function<bool()>& done, const std::function<void()>& after = {});

 private:
  std::mutex mutex_;
  std::condition_variable queued_;
  bool pending_ = false;
};

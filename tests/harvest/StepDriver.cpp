#include "StepDriver.h"

#include <chrono>

#include "platform/Thread.h"

StepDriver::StepDriver() {
  SetWakeMainThread([this] {
    {
      const std::lock_guard lock(mutex_);
      pending_ = true;
    }
    queued_.notify_one();
  });
}

StepDriver::~StepDriver() {
  SetWakeMainThread({});
}

void StepDriver::RunUntil(const std::function<bool()>& done, const std::function<void()>& after) {
  using namespace std::chrono_literals;
  while (!done()) {
    {
      std::unique_lock lock(mutex_);
      // The bound only keeps a lost wake-up from stalling the test; correctness does not rest on
      // it.
      queued_.wait_for(lock, 50ms, [this] { return pending_; });
      pending_ = false;
    }
    if (CheckSynchronize() && after) {
      after();
    }
  }
}

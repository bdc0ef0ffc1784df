#include "widgets/MainThreadSync.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <chrono>

#include "platform/Thread.h"
#include "widgets/Application.h"

namespace {

using namespace std::chrono_literals;

// A worker that makes a series of calls (one per file, one per icon) queues the next one a few
// microseconds after the last returned. Waiting that long for it, instead of going back to sleep
// in the event loop, saves two wake-ups per call; the budget keeps the event loop turning.
constexpr auto kLinger = 500us;
constexpr auto kBudget = 8ms;

// At most one run is waiting in the event queue: posts made while one waits would each take a
// budget in the same turn of the event loop and keep it from painting.
std::atomic<bool> gRunPosted{false};

void RunQueuedCalls() {
  gRunPosted.store(false);
  const auto until = std::chrono::steady_clock::now() + kBudget;
  while (CheckSynchronize() && std::chrono::steady_clock::now() < until &&
         AwaitQueuedCall(kLinger)) {
  }
}

}  // namespace

TMainThreadSync::TMainThreadSync() {
  // Posting is thread-safe; a post that finds the queue already emptied does nothing.
  SetWakeMainThread([] {
    if (!gRunPosted.exchange(true)) {
      QMetaObject::invokeMethod(QCoreApplication::instance(), RunQueuedCalls, Qt::QueuedConnection);
    }
  });
  SetThreadExceptionHandler([](const std::exception_ptr& error) {
    Application().ShowException(error);
    QCoreApplication::exit(1);
  });
}

TMainThreadSync::~TMainThreadSync() {
  SetWakeMainThread({});
  SetThreadExceptionHandler({});
}

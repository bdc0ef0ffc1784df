#include "platform/Thread.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::thread::id gMainThread = std::this_thread::get_id();

// One call waiting for the main thread. It lives on the stack of the thread that queued it, which
// stays blocked until done is set.
struct QueuedCall {
  const std::function<void()>* method = nullptr;
  std::thread::id requester;
  std::uint64_t ticket = 0;
  std::exception_ptr error;
  // Written under the state's lock; also read without it while the requester spins.
  std::atomic<bool> done{false};
};

struct SyncState {
  // Guards the fields below and every thread object's started_, ended_ and thread_.
  std::mutex mutex;
  std::condition_variable changed;   // a call was queued, or a thread ended
  std::condition_variable callDone;  // a queued call has run
  std::deque<QueuedCall*> queue;
  std::atomic<std::size_t> queued{0};  // queue.size(), for spinning without the lock
  std::uint64_t nextTicket = 0;
  std::vector<std::thread::id> running;  // requesters of the calls the main thread is inside
  std::function<void(std::exception_ptr)> exceptionHandler;

  // Held while the hook runs, so that replacing it waits for a call in progress.
  std::mutex wakeMutex;
  std::function<void()> wake;
};

// Never destroyed: a worker may still be waiting on it while the process exits (an exception
// handler ends the program from the main thread; a FreeOnTerminate thread may outlive main).
SyncState& State() {
  static SyncState* const state = new SyncState();  // NOLINT(cppcoreguidelines-owning-memory)
  return *state;
}

// How long a thread that waits for a short answer from another one spins before it sleeps.
constexpr std::chrono::microseconds kSpin{500};

// Spins until `ready` holds or `limit` has passed; true when it holds. Yields on every round, so
// that a thread it waits for on the same processor gets to run.
template <class Predicate>
bool SpinUntil(const Predicate& ready, std::chrono::microseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= until) {
      return false;
    }
    std::this_thread::yield();
  }
  return true;
}

// The queued call's waiter cannot leave while its call is queued, so a throwing hook is fatal.
void WakeMainThread() noexcept {
  SyncState& s = State();
  const std::lock_guard lock(s.wakeMutex);
  if (s.wake) {
    s.wake();
  }
}

void CallOnMainThread(const std::function<void()>& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  SyncState& s = State();
  QueuedCall call;
  call.method = &method;
  call.requester = std::this_thread::get_id();
  {
    const std::lock_guard lock(s.mutex);
    call.ticket = s.nextTicket++;
    s.queue.push_back(&call);
    s.queued.store(s.queue.size(), std::memory_order_release);
  }
  s.changed.notify_all();
  WakeMainThread();
  // Most calls are short: spinning a little keeps this thread's processor awake for the answer,
  // which is far cheaper than being woken from sleep once per call.
  SpinUntil([&call] { return call.done.load(std::memory_order_acquire); }, kSpin);
  std::unique_lock lock(s.mutex);
  s.callDone.wait(lock, [&call] { return call.done.load(std::memory_order_relaxed); });
  if (call.error) {
    std::rethrow_exception(call.error);
  }
}

std::string Describe(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
}

[[noreturn]] void Fatal(const char* what) noexcept {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

void ReportAndExit(const std::exception_ptr& error) {
  std::fprintf(stderr, "Unhandled exception in a worker thread: %s\n", Describe(error).c_str());
  std::exit(1);
}

// Hands an exception that escaped a thread to the handler on the main thread. Nothing is left to
// catch what the handler throws.
void ReportUnhandled(const std::exception_ptr& error) noexcept {
  std::function<void(std::exception_ptr)> handler;
  {
    SyncState& s = State();
    const std::lock_guard lock(s.mutex);
    handler = s.exceptionHandler;
  }
  if (!handler) {
    handler = ReportAndExit;
  }
  CallOnMainThread([&handler, &error] { handler(error); });
}

}  // namespace

bool IsMainThread() noexcept {
  return std::this_thread::get_id() == gMainThread;
}

bool CheckSynchronize() {
  if (!IsMainThread()) {
    throw std::logic_error("CheckSynchronize called off the main thread");
  }
  SyncState& s = State();
  std::unique_lock lock(s.mutex);
  // Calls queued while these run wait for the next round, so a busy worker cannot hold the event
  // loop here for ever.
  const std::uint64_t end = s.nextTicket;
  bool ran = false;
  while (!s.queue.empty() && s.queue.front()->ticket < end) {
    QueuedCall* call = s.queue.front();
    s.running.push_back(call->requester);
    s.queue.pop_front();
    s.queued.store(s.queue.size(), std::memory_order_release);
    lock.unlock();
    std::exception_ptr error;
    try {
      (*call->method)();
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    s.running.pop_back();
    call->error = error;
    call->done.store(true, std::memory_order_release);
    s.callDone.notify_all();
    ran = true;
  }
  return ran;
}

bool AwaitQueuedCall(std::chrono::microseconds limit) {
  SyncState& s = State();
  return SpinUntil([&s] { return s.queued.load(std::memory_order_acquire) > 0; }, limit);
}

void SetWakeMainThread(std::function<void()> wake) {
  SyncState& s = State();
  const std::lock_guard lock(s.wakeMutex);
  s.wake = std::move(wake);
}

void SetThreadExceptionHandler(std::function<void(std::exception_ptr)> handler) {
  SyncState& s = State();
  const std::lock_guard lock(s.mutex);
  s.exceptionHandler = std::move(handler);
}

TThread::TThread(bool CreateSuspended) {
  if (!CreateSuspended) {
    throw std::invalid_argument("TThread must be created suspended and started with Resume");
  }
}

TThread::~TThread() {
  {
    SyncState& s = State();
    const std::lock_guard lock(s.mutex);
    if (thread_.get_id() == std::this_thread::get_id()) {
      // A FreeOnTerminate thread deleting itself: it cannot join itself, and ends right after.
      thread_.detach();
      return;
    }
    if (started_ && !Finished()) {
      Fatal("TThread destroyed while Execute runs: call Terminate() and WaitFor() first");
    }
  }
  // Past Execute only the termination notice or an error report may be left; both run here when
  // this is the main thread.
  try {
    WaitForEnd();
  } catch (const std::logic_error& e) {
    Fatal(e.what());
  }
}

void TThread::Resume() {
  SyncState& s = State();
  const std::lock_guard lock(s.mutex);
  if (started_) {
    return;
  }
  thread_ = std::thread(&TThread::Run, this);
  started_ = true;
}

void TThread::Terminate() noexcept {
  terminated_.store(true, std::memory_order_release);
}

bool TThread::Terminated() const noexcept {
  return terminated_.load(std::memory_order_acquire);
}

bool TThread::Finished() const noexcept {
  return finished_.load(std::memory_order_acquire);
}

int TThread::WaitFor() {
  if (FreeOnTerminate) {
    throw std::logic_error("WaitFor on a FreeOnTerminate thread, which may already be gone");
  }
  WaitForEnd();
  return ReturnValue;
}

void TThread::WaitForEnd() {
  SyncState& s = State();
  const bool onMainThread = IsMainThread();
  std::unique_lock lock(s.mutex);
  const std::thread::id worker = thread_.get_id();
  if (worker == std::this_thread::get_id()) {
    throw std::logic_error("a thread waits for its own end");
  }
  if (onMainThread && std::find(s.running.begin(), s.running.end(), worker) != s.running.end()) {
    throw std::logic_error("waiting for a thread inside a call that the thread is blocked on");
  }
  while (started_ && !ended_) {
    if (onMainThread && !s.queue.empty()) {
      lock.unlock();
      CheckSynchronize();
      lock.lock();
    } else {
      s.changed.wait(lock);
    }
  }
  std::thread ended = std::move(thread_);
  lock.unlock();
  if (ended.joinable()) {
    ended.join();
  }
}

void TThread::DoTerminate() {
  if (OnTerminate) {
    Synchronize([this] { OnTerminate(this); });
  }
}

void TThread::Synchronize(const std::function<void()>& method) {
  CallOnMainThread(method);
}

void TThread::Run() noexcept {
  std::exception_ptr failure;
  try {
    Execute();
  } catch (...) {
    failure = std::current_exception();
  }
  const bool freeOnTerminate = FreeOnTerminate;
  finished_.store(true, std::memory_order_release);
  if (!failure) {
    try {
      DoTerminate();
    } catch (...) {
      failure = std::current_exception();
    }
  }
  if (failure) {
    ReportUnhandled(failure);
  }
  if (freeOnTerminate) {
    delete this;  // NOLINT(cppcoreguidelines-owning-memory): such a thread owns itself
    return;
  }
  SyncState& s = State();
  const std::lock_guard lock(s.mutex);
  ended_ = true;
  s.changed.notify_all();
}

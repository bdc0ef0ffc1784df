#pragma once

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <thread>

#include "platform/Events.h"

// A worker thread in the class library's manner: derive, override Execute, create suspended, set
// the public fields, then Resume. The worker changes objects of the main thread only through
// Synchronize, which queues the call for the main thread and waits until it has run there.
//
// The main thread is the process's initial thread (the one that runs main()). It runs queued calls
// in CheckSynchronize, which the program calls from its event loop after the wake-up hook fires,
// and in WaitFor.
//
// Lifetime: a thread object may be destroyed before Resume (Execute never runs) or once Finished()
// is true; the destructor then waits for the rest (the termination notice, which it runs when
// called on the main thread). Destroying it while Execute runs, or from inside a call that the
// thread is blocked on, is a programming error that ends the process with a message: the derived
// part that Execute uses is already gone by then, so no wait here could make it safe. Stop a
// running thread with Terminate() and WaitFor() first. A FreeOnTerminate thread deletes itself and
// must not be touched after Resume.
class TThread : public TObject {
 public:
  // Only suspended creation is supported: a thread started from this constructor would run
  // Execute on an object whose derived part is not built yet. false throws std::invalid_argument.
  explicit TThread(bool CreateSuspended);
  ~TThread() override;
  TThread(const TThread&) = delete;  // the running thread refers to this very object
  TThread& operator=(const TThread&) = delete;

  // Starts the thread. Later calls do nothing: a thread runs at most once. Throws
  // std::system_error when the system cannot create a thread; the object stays suspended.
  void Resume();
  // Asks Execute to stop; it decides when. Returns at once.
  void Terminate() noexcept;
  [[nodiscard]] bool Terminated() const noexcept;
  // Waits until the thread has ended (its termination notice included) and returns ReturnValue.
  // On the main thread, queued Synchronize calls keep running meanwhile. Returns at once for a
  // thread that was never resumed. Throws std::logic_error where the wait could never end or the
  // object may vanish: on the thread itself, inside a call that this thread synchronized, and on a
  // FreeOnTerminate thread.
  int WaitFor();
  // True once Execute has left, before the termination notice.
  [[nodiscard]] bool Finished() const noexcept;

  // Runs on the main thread with this thread as Sender, after Execute has returned normally. Not
  // delivered when Execute throws.
  TNotifyEvent OnTerminate;
  // Set before Resume: the object deletes itself on its own thread after the termination notice.
  bool FreeOnTerminate = false;
  // Written by Execute, read after WaitFor.
  int ReturnValue = 0;

 protected:
  virtual void Execute() = 0;
  // Delivers OnTerminate through Synchronize when it is assigned.
  virtual void DoTerminate();
  // Runs method on the main thread while this thread waits; called on the main thread, runs it
  // directly. An exception thrown by method is thrown again here.
  void Synchronize(const std::function<void()>& method);

 private:
  void Run() noexcept;
  void WaitForEnd();

  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  // Guarded by the lock that the queue of calls shares with every thread object.
  bool started_ = false;
  bool ended_ = false;  // set last: past it the thread touches nothing of the object
  std::thread thread_;
};

// True on the process's initial thread.
[[nodiscard]] bool IsMainThread() noexcept;

// Runs every call that was queued when it was entered; true when it ran any. Main thread only (else
// std::logic_error). Calls may nest: a queued call that runs a modal loop may call it again.
bool CheckSynchronize();

// Waits, for at most `limit` and without sleeping, until a call is queued; true when one is. Lets
// the main thread take a worker's next call at once while the worker runs a series of them.
bool AwaitQueuedCall(std::chrono::microseconds limit);

// The hook runs on the queuing thread each time a call is queued, so that the main thread's event
// loop wakes up and calls CheckSynchronize. It must neither throw (that ends the process: the
// queued call's waiter cannot leave) nor call SetWakeMainThread. Once SetWakeMainThread returns,
// the previous hook is no longer running and is never called again.
void SetWakeMainThread(std::function<void()> wake);

// Receives, on the main thread through the same queue, an exception that left a thread's Execute
// (or its termination notice); the thread waits until it returns. It is expected to report the
// error and end the program. Empty restores the default: the message on stderr, then exit code 1.
// If a handler returns, the thread ends without its termination notice.
void SetThreadExceptionHandler(std::function<void(std::exception_ptr)> handler);

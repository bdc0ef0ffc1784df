#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Thread.h"

namespace {

// Counts posts; Wait takes one. The deadline only turns a broken hand-over into a failure instead
// of a hung test.
class Signal {
 public:
  // Notifies under the lock: the waiter may destroy the signal as soon as it sees the post.
  void Post() {
    const std::lock_guard lock(mutex_);
    ++count_;
    changed_.notify_all();
  }
  [[nodiscard]] bool Wait() {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::seconds(60), [this] { return count_ > 0; })) {
      return false;
    }
    --count_;
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int count_ = 0;
};

// A thread whose Execute is a function, with Synchronize open to it.
class LambdaThread : public TThread {
 public:
  explicit LambdaThread(std::function<void(LambdaThread&)> body, bool suspended = true)
      : TThread(suspended), body_(std::move(body)) {}
  using TThread::Synchronize;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(LambdaThread&)> body_;
};

// Receives termination notices on the main thread.
struct Listener : TObject {
  void Done(TObject* Sender) {
    ++notices;
    sender = Sender;
    onMainThread = IsMainThread();
    const auto* thread = dynamic_cast<const TThread*>(Sender);
    finishedAtNotice = thread != nullptr && thread->Finished();
  }
  TNotifyEvent Event() { return {this, &Listener::Done}; }

  int notices = 0;
  TObject* sender = nullptr;
  bool onMainThread = false;
  bool finishedAtNotice = false;
};

class ThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetWakeMainThread([this] { wakes_.Post(); });
  }
  void TearDown() override {
    SetWakeMainThread({});
    SetThreadExceptionHandler({});
  }

  // The event loop in small: sleeps until a call is queued, then runs the queue.
  void PumpUntil(const std::function<bool()>& done) {
    while (!done()) {
      ASSERT_TRUE(wakes_.Wait()) << "no call was queued";
      CheckSynchronize();
    }
  }

  Signal wakes_;
};

TEST_F(ThreadTest, ExecuteRunsOnItsOwnThreadOnlyAfterResume) {
  std::atomic<int> runs = 0;
  std::atomic<bool> ranOnMainThread = true;
  LambdaThread thread([&](LambdaThread& self) {
    ++runs;
    ranOnMainThread = IsMainThread();
    self.ReturnValue = 7;
  });

  EXPECT_EQ(thread.WaitFor(), 0) << "a suspended thread has nothing to wait for";
  EXPECT_EQ(runs, 0);
  EXPECT_FALSE(thread.Finished());

  thread.Resume();
  thread.Resume();
  EXPECT_EQ(thread.WaitFor(), 7);
  thread.Resume();
  EXPECT_EQ(thread.WaitFor(), 7);

  EXPECT_EQ(runs, 1) << "a thread runs once, however often it is resumed";
  EXPECT_FALSE(ranOnMainThread);
  EXPECT_TRUE(thread.Finished());
}

TEST_F(ThreadTest, CreationMustBeSuspended) {
  EXPECT_THROW(LambdaThread([](LambdaThread&) {}, false), std::invalid_argument);
}

TEST_F(ThreadTest, TerminateIsSeenByTheRunningThread) {
  Signal started;
  LambdaThread thread([&](LambdaThread& self) {
    started.Post();
    while (!self.Terminated()) {
      std::this_thread::yield();
    }
    self.ReturnValue = 1;
  });
  thread.Resume();
  ASSERT_TRUE(started.Wait());
  EXPECT_FALSE(thread.Terminated());
  thread.Terminate();
  EXPECT_TRUE(thread.Terminated());
  EXPECT_EQ(thread.WaitFor(), 1);
}

TEST_F(ThreadTest, TerminateBeforeResumeIsSeenAtOnce) {
  std::atomic<bool> terminatedAtStart = false;
  LambdaThread thread([&](LambdaThread& self) { terminatedAtStart = self.Terminated(); });
  thread.Terminate();
  thread.Resume();
  thread.WaitFor();
  EXPECT_TRUE(terminatedAtStart);
}

TEST_F(ThreadTest, SynchronizedCallsRunOnTheMainThreadInOrderWhileTheWorkerWaits) {
  constexpr int kCalls = 5;
  std::vector<int> log;  // written on the main thread only, read by the worker after each call
  std::vector<std::size_t> seenByWorker;
  bool allOnMainThread = true;
  LambdaThread thread([&](LambdaThread& self) {
    for (int i = 0; i < kCalls; ++i) {
      self.Synchronize([&, i] {
        log.push_back(i);
        allOnMainThread = allOnMainThread && IsMainThread();
      });
      seenByWorker.push_back(log.size());
    }
  });
  thread.Resume();
  int rounds = 0;
  PumpUntil([&] {
    ++rounds;
    return log.size() == kCalls;
  });
  thread.WaitFor();

  EXPECT_EQ(log, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(seenByWorker, (std::vector<std::size_t>{1, 2, 3, 4, 5}))
      << "Synchronize returns only after its call has run";
  EXPECT_TRUE(allOnMainThread);
  EXPECT_EQ(rounds, kCalls + 1) << "every queued call wakes the main thread once";
  EXPECT_FALSE(CheckSynchronize()) << "nothing is left in the queue";
}

TEST_F(ThreadTest, SynchronizeOnTheMainThreadRunsDirectly) {
  LambdaThread thread([](LambdaThread&) {});
  bool ran = false;
  thread.Synchronize([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_THROW(thread.Synchronize([] { throw std::out_of_range("direct"); }), std::out_of_range);
}

TEST_F(ThreadTest, AnExceptionOfASynchronizedCallIsThrownAgainInTheWorker) {
  std::string caught;
  bool laterCallRan = false;
  LambdaThread thread([&](LambdaThread& self) {
    try {
      self.Synchronize([] { throw std::range_error("from the main thread"); });
    } catch (const std::range_error& e) {
      caught = e.what();
    }
    self.Synchronize([&] { laterCallRan = true; });
  });
  thread.Resume();
  thread.WaitFor();
  EXPECT_EQ(caught, "from the main thread");
  EXPECT_TRUE(laterCallRan);
}

TEST_F(ThreadTest, OnTerminateRunsOnceOnTheMainThreadAfterExecute) {
  Listener listener;
  LambdaThread thread([](LambdaThread&) {});
  thread.OnTerminate = listener.Event();
  thread.Resume();
  PumpUntil([&] { return listener.notices > 0; });
  thread.WaitFor();

  EXPECT_EQ(listener.notices, 1);
  EXPECT_EQ(listener.sender, &thread);
  EXPECT_TRUE(listener.onMainThread);
  EXPECT_TRUE(listener.finishedAtNotice);
}

// WaitFor on the main thread while the worker is blocked in Synchronize: the wait itself runs the
// queued calls, the termination notice included, so closing a window during a run cannot hang.
TEST_F(ThreadTest, WaitForOnTheMainThreadRunsQueuedCalls) {
  Listener listener;
  int calls = 0;
  LambdaThread thread([&](LambdaThread& self) {
    for (int i = 0; i < 3; ++i) {
      self.Synchronize([&] { ++calls; });
    }
  });
  thread.OnTerminate = listener.Event();
  thread.Resume();
  ASSERT_TRUE(wakes_.Wait()) << "the worker is now blocked in its first Synchronize";
  thread.Terminate();
  thread.WaitFor();
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(listener.notices, 1);
}

TEST_F(ThreadTest, AQueuedCallMayWaitForAnotherThread) {
  bool innerCallRan = false;
  LambdaThread inner([&](LambdaThread& self) { self.Synchronize([&] { innerCallRan = true; }); });
  LambdaThread outer([&](LambdaThread& self) {
    self.Synchronize([&] {
      inner.Resume();
      inner.WaitFor();
    });
  });
  outer.Resume();
  outer.WaitFor();
  EXPECT_TRUE(innerCallRan);
}

TEST_F(ThreadTest, WaitsThatCouldNeverEndAreRefused) {
  bool refusedOnItself = false;
  bool refusedInsideItsCall = false;
  LambdaThread thread([&](LambdaThread& self) {
    try {
      self.WaitFor();
    } catch (const std::logic_error&) {
      refusedOnItself = true;
    }
    self.Synchronize([&] {
      try {
        self.WaitFor();
      } catch (const std::logic_error&) {
        refusedInsideItsCall = true;
      }
    });
  });
  thread.Resume();
  thread.WaitFor();
  EXPECT_TRUE(refusedOnItself);
  EXPECT_TRUE(refusedInsideItsCall);
}

// Calls queued while the main thread runs the queue wait for its next round, so a worker that
// keeps queueing cannot hold the event loop.
TEST_F(ThreadTest, CheckSynchronizeRunsOnlyWhatWasQueuedWhenItStarted) {
  Signal secondMayQueue;
  bool secondCallRan = false;
  LambdaThread second([&](LambdaThread& self) {
    ASSERT_TRUE(secondMayQueue.Wait());
    self.Synchronize([&] { secondCallRan = true; });
  });
  LambdaThread first([&](LambdaThread& self) {
    self.Synchronize([&] {
      secondMayQueue.Post();
      ASSERT_TRUE(wakes_.Wait()) << "the second thread has queued its call";
    });
  });
  second.Resume();
  first.Resume();
  ASSERT_TRUE(wakes_.Wait());
  EXPECT_TRUE(CheckSynchronize());
  EXPECT_FALSE(secondCallRan);
  EXPECT_TRUE(CheckSynchronize());
  EXPECT_TRUE(secondCallRan);
  first.WaitFor();
  second.WaitFor();
}

TEST_F(ThreadTest, AwaitQueuedCallSeesAQueuedCallAndGivesUpWithoutOne) {
  using namespace std::chrono_literals;
  EXPECT_FALSE(AwaitQueuedCall(1ms));

  bool ran = false;
  LambdaThread thread([&](LambdaThread& self) { self.Synchronize([&] { ran = true; }); });
  thread.Resume();
  // The bound only turns a lost call into a failure; the call is normally there at once.
  EXPECT_TRUE(AwaitQueuedCall(60s));
  EXPECT_TRUE(CheckSynchronize());
  EXPECT_TRUE(ran);
  EXPECT_FALSE(AwaitQueuedCall(1ms));
  thread.WaitFor();
}

TEST_F(ThreadTest, CheckSynchronizeRefusesOtherThreads) {
  bool refused = false;
  std::thread other([&] {
    try {
      CheckSynchronize();
    } catch (const std::logic_error&) {
      refused = true;
    }
  });
  other.join();
  EXPECT_TRUE(refused);
}

struct EscapeCase {
  const char* name;
  bool throwInExecute;  // else the termination notice throws
};

void PrintTo(const EscapeCase& row, std::ostream* out) {
  *out << row.name;
}

class ThreadEscapeTest : public ThreadTest, public ::testing::WithParamInterface<EscapeCase> {};

// The handler sees what escaped, on the main thread; a thread whose Execute failed gets no
// termination notice.
TEST_P(ThreadEscapeTest, AnExceptionLeavingTheThreadGoesToTheHandler) {
  std::string reported;
  bool reportedOnMainThread = false;
  SetThreadExceptionHandler([&](const std::exception_ptr& error) {
    reportedOnMainThread = IsMainThread();
    try {
      std::rethrow_exception(error);
    } catch (const std::runtime_error& e) {
      reported = e.what();
    }
  });
  int notices = 0;
  struct Counter : TObject {
    explicit Counter(int& count, bool fail) : count_(count), fail_(fail) {}
    void Done(TObject*) {
      ++count_;
      if (fail_) {
        throw std::runtime_error("notice failed");
      }
    }
    int& count_;
    bool fail_;
  } counter(notices, !GetParam().throwInExecute);
  LambdaThread thread([&](LambdaThread&) {
    if (GetParam().throwInExecute) {
      throw std::runtime_error("execute failed");
    }
  });
  thread.OnTerminate = {&counter, &Counter::Done};
  thread.Resume();
  thread.WaitFor();

  EXPECT_EQ(reported, GetParam().throwInExecute ? "execute failed" : "notice failed");
  EXPECT_TRUE(reportedOnMainThread);
  EXPECT_EQ(notices, GetParam().throwInExecute ? 0 : 1);
  EXPECT_TRUE(thread.Finished());
}

INSTANTIATE_TEST_SUITE_P(Escapes, ThreadEscapeTest,
                         ::testing::Values(EscapeCase{"FromExecute", true},
                                           EscapeCase{"FromTheNotice", false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(ThreadTest, WithoutAHandlerAnEscapedExceptionEndsTheProgramWithCode1) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        LambdaThread thread([](LambdaThread&) { throw std::runtime_error("worker gave up"); });
        thread.Resume();
        thread.WaitFor();
      },
      ::testing::ExitedWithCode(1), "worker gave up");
}

// A FreeOnTerminate thread deletes itself after its notice, whether Execute failed or not (the
// handler here does not end the program).
TEST_F(ThreadTest, FreeOnTerminateDeletesTheObjectAfterTheNotice) {
  SetThreadExceptionHandler([](const std::exception_ptr&) {});
  struct SelfFreeing : LambdaThread {
    using LambdaThread::LambdaThread;
    ~SelfFreeing() override { destroyed->Post(); }
    Signal* destroyed = nullptr;
  };
  for (const bool fail : {false, true}) {
    SCOPED_TRACE(fail ? "Execute throws" : "Execute returns");
    Listener listener;
    Signal destroyed;
    auto owned = std::make_unique<SelfFreeing>([fail](LambdaThread&) {
      if (fail) {
        throw std::runtime_error("failed");
      }
    });
    owned->destroyed = &destroyed;
    owned->FreeOnTerminate = true;
    owned->OnTerminate = listener.Event();
    EXPECT_THROW(owned->WaitFor(), std::logic_error) << "it may be gone by the time WaitFor looks";
    owned.release()->Resume();  // from here on the thread owns itself
    ASSERT_TRUE(wakes_.Wait()) << "the notice, or the report of the failure";
    EXPECT_TRUE(CheckSynchronize());
    ASSERT_TRUE(destroyed.Wait());
    EXPECT_EQ(listener.notices, fail ? 0 : 1);
  }
}

TEST_F(ThreadTest, DestroyingAThreadPastExecuteDeliversItsPendingNotice) {
  Listener listener;
  auto thread = std::make_unique<LambdaThread>([](LambdaThread&) {});
  thread->OnTerminate = listener.Event();
  thread->Resume();
  ASSERT_TRUE(wakes_.Wait()) << "Execute has returned and the notice is queued";
  thread.reset();
  EXPECT_EQ(listener.notices, 1);
}

TEST_F(ThreadTest, DestroyingANeverResumedThreadNeverRunsIt) {
  Listener listener;
  std::atomic<bool> ran = false;
  {
    LambdaThread thread([&](LambdaThread&) { ran = true; });
    thread.OnTerminate = listener.Event();
  }
  EXPECT_FALSE(ran);
  EXPECT_EQ(listener.notices, 0);
}

struct MisuseCase {
  const char* name;
  bool insideTheNotice;  // else while Execute runs
  const char* message;
};

// Deletes a thread whose worker still needs the object: while Execute runs, or from inside the
// thread's own termination notice.
void DestroyBeforeTheEnd(bool insideTheNotice) {
  Signal started;
  // Past Post the running body touches only the thread's base, which outlives the check.
  auto thread = insideTheNotice
                    ? std::make_unique<LambdaThread>([&](LambdaThread&) { started.Post(); })
                    : std::make_unique<LambdaThread>([&](LambdaThread& self) {
                        started.Post();
                        while (!self.Terminated()) {
                          std::this_thread::yield();
                        }
                      });
  struct Deleter : TObject {
    void Done(TObject*) { owner->reset(); }
    std::unique_ptr<LambdaThread>* owner = nullptr;
  } deleter;
  deleter.owner = &thread;
  thread->OnTerminate = {&deleter, &Deleter::Done};
  thread->Resume();
  if (!started.Wait()) {
    return;
  }
  if (insideTheNotice) {
    thread->WaitFor();
  } else {
    thread.reset();
  }
}

void PrintTo(const MisuseCase& row, std::ostream* out) {
  *out << row.name;
}

class ThreadMisuseDeathTest : public ThreadTest,
                              public ::testing::WithParamInterface<MisuseCase> {};

// Either would leave the worker on a destroyed object; the process stops with a message instead.
TEST_P(ThreadMisuseDeathTest, DestroyingAThreadBeforeItsEndStopsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(DestroyBeforeTheEnd(GetParam().insideTheNotice), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Misuses, ThreadMisuseDeathTest,
                         ::testing::Values(MisuseCase{"WhileExecuteRuns", false,
                                                      "Terminate\\(\\) and WaitFor\\(\\)"},
                                           MisuseCase{"InsideItsOwnNotice", true, "inside a call"}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <functional>
#include <stdexcept>
#include <utility>

#include "ReportCatcher.h"
#include "platform/Thread.h"
#include "widgets/MainThreadSync.h"

namespace {

// A worker that runs one step on the UI thread and then, when asked, fails.
class TStepThenFail : public TThread {
 public:
  TStepThenFail(std::function<void()> step, bool fail)
      : TThread(true), step_(std::move(step)), fail_(fail) {}

 protected:
  void Execute() override {
    Synchronize(step_);
    if (fail_) {
      throw std::runtime_error("disk on fire");
    }
  }

 private:
  std::function<void()> step_;
  bool fail_;
};

class TNotices : public TObject {
 public:
  int count = 0;
  QEventLoop* quit = nullptr;  // ended by the notice, when set
  void Notice(TObject* /*Sender*/) {
    ++count;
    if (quit != nullptr) {
      quit->quit();
    }
  }
};

}  // namespace

class MainThreadSyncTest : public QObject {
  Q_OBJECT

 private slots:
  void stepsRunInAnyEventLoop() {
    const TMainThreadSync sync;
    QEventLoop modal;  // stands for the loop a modal dialog runs inside a handler
    TNotices notices;
    notices.quit = &modal;
    bool modalRunning = false;
    bool ranInModal = false;
    TStepThenFail worker([&] { ranInModal = modalRunning; }, false);
    worker.OnTerminate = TNotifyEvent(&notices, &TNotices::Notice);
    worker.Resume();
    modalRunning = true;
    modal.exec();
    modalRunning = false;
    worker.WaitFor();

    QVERIFY(ranInModal);
    QCOMPARE(notices.count, 1);
  }

  void workerExceptionIsReportedAndEndsTheLoopWithCodeOne() {
    const TMainThreadSync sync;
    const TReportCatcher catcher;
    TNotices notices;
    bool stepRan = false;
    TStepThenFail worker([&] { stepRan = true; }, true);
    worker.OnTerminate = TNotifyEvent(&notices, &TNotices::Notice);
    QEventLoop loop;
    QTimer::singleShot(0, [&] { worker.Resume(); });
    QCOMPARE(loop.exec(), 1);
    worker.WaitFor();

    QVERIFY(stepRan);
    QCOMPARE(notices.count, 0);
    QCOMPARE(catcher.reports.size(), std::size_t{1});
    QVERIFY(catcher.reports.front().message.contains(QStringLiteral("disk on fire")));
  }
};

QTEST_MAIN(MainThreadSyncTest)
#include "MainThreadSyncTest.moc"

#include "widgets/MainThreadSync.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "platform/Thread.h"
#include "widgets/Application.h"

TMainThreadSync::TMainThreadSync() {
  // Posting is thread-safe; a post that finds the queue already emptied does nothing.
  SetWakeMainThread([] {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { CheckSynchronize(); }, Qt::QueuedConnection);
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

#include "widgets/Application.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>

namespace {

QString MessageOf(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("Unknown error.");
  }
}

}  // namespace

void TApplication::ShowException(const std::exception_ptr& error) noexcept {
  if (!error) {
    return;
  }
  // Reporting must not throw in its turn: the handler that failed is already gone.
  try {
    const QString message = MessageOf(error);
    if (reporter_) {
      reporter_(title_, message);
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
      QMessageBox box(QMessageBox::Critical, title_, message, QMessageBox::Ok,
                      QApplication::activeWindow());
      box.exec();
    } else {
      std::fprintf(stderr, "%s: %s\n", title_.toLocal8Bit().constData(),
                   message.toLocal8Bit().constData());
    }
  } catch (...) {
    std::fputs("error while reporting an error\n", stderr);
  }
}

TApplication::TErrorReporter TApplication::SetErrorReporter(TErrorReporter reporter) {
  std::swap(reporter_, reporter);
  return reporter;
}

TApplication& Application() {
  static TApplication application;
  return application;
}

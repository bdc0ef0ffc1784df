#pragma once

#include <QString>
#include <vector>

#include "widgets/Application.h"

// Takes the application's error reports instead of the modal message box while it lives.
class TReportCatcher {
 public:
  struct TReport {
    QString caption;
    QString message;
  };

  TReportCatcher()
      : previous_(
            Application().SetErrorReporter([this](const QString& caption, const QString& message) {
              reports.push_back({caption, message});
            })) {}
  ~TReportCatcher() { Application().SetErrorReporter(previous_); }
  TReportCatcher(const TReportCatcher&) = delete;  // the reporter refers to this object
  TReportCatcher& operator=(const TReportCatcher&) = delete;

  std::vector<TReport> reports;

 private:
  TApplication::TErrorReporter previous_;
};

#pragma once

// Connects the worker threads to the UI thread's event loop for as long as it lives: a call that
// a worker synchronizes runs wherever the event loop runs (modal loops included), and an exception
// that leaves a worker is shown in the application's error report, after which the event loop
// ends with exit code 1. Made on the UI thread once the QApplication exists, and gone before it.
class TMainThreadSync {
 public:
  TMainThreadSync();
  ~TMainThreadSync();
  TMainThreadSync(const TMainThreadSync&) = delete;  // one connection per application
  TMainThreadSync& operator=(const TMainThreadSync&) = delete;
};

#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <utility>

// The application object: its title, and the report of an error that leaves an event handler.
// Qt must not see an exception leave a slot, so handler bodies run through Guard, which reports
// whatever escapes and returns; the program then goes on.
class TApplication {
 public:
  // Receives the report instead of the modal message box (tests): the box's caption and message.
  using TErrorReporter = std::function<void(const QString& caption, const QString& message)>;

  TApplication() = default;
  TApplication(const TApplication&) = delete;  // one per process
  TApplication& operator=(const TApplication&) = delete;

  void SetTitle(const QString& title) { title_ = title; }
  [[nodiscard]] const QString& Title() const { return title_; }

  // Runs `handler` and reports an exception that leaves it; never throws.
  template <class Handler>
  void Guard(Handler&& handler) noexcept {
    try {
      std::forward<Handler>(handler)();
    } catch (...) {
      ShowException(std::current_exception());
    }
  }

  // Shows the error in a message box with an error icon, captioned with the title.
  void ShowException(const std::exception_ptr& error) noexcept;

  // Installs a reporter in place of the message box and returns the one it replaces; an empty
  // reporter brings the message box back.
  TErrorReporter SetErrorReporter(TErrorReporter reporter);

 private:
  QString title_;
  TErrorReporter reporter_;
};

// The application object (UI thread only).
TApplication& Application();

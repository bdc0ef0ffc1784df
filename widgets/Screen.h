#pragma once

// The application-wide pointer shapes the program asks for, with their class-library values.
enum TCursor : int {
  crDefault = 0,     // each window's own pointer
  crAppStart = -19,  // the arrow with a small hourglass: working, but still usable
};

// The screen object: the pointer shown over every window of the application.
class TScreen {
 public:
  TScreen() = default;
  TScreen(const TScreen&) = delete;  // one per application
  TScreen& operator=(const TScreen&) = delete;

  void SetCursor(TCursor cursor);
  [[nodiscard]] TCursor Cursor() const { return cursor_; }

 private:
  TCursor cursor_ = crDefault;
};

// The application's screen object (UI thread only).
TScreen& Screen();

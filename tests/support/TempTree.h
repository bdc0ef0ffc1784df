#pragma once

#include <string>
#include <string_view>

// A directory tree in a fresh temporary folder, removed with everything in it when the object goes.
// Paths given to the builders are relative to the root and use "/"; they are byte strings, so names
// that are not valid UTF-8 work too. Every builder returns the full path of what it made.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;  // we own the folder on disk
  TempTree& operator=(const TempTree&) = delete;

  [[nodiscard]] const std::string& Root() const { return root_; }
  [[nodiscard]] std::string PathOf(std::string_view relative) const;

  std::string Dir(std::string_view relative);
  std::string File(std::string_view relative, std::string_view contents = {});
  std::string Symlink(std::string_view target, std::string_view relative);
  std::string Fifo(std::string_view relative);

 private:
  std::string root_;
};

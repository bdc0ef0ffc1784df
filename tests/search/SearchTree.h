#pragma once

#include <functional>
#include <string>
#include <vector>

#include "TempTree.h"
#include "platform/FindFile.h"

// The tree the walker tests share, under the root of `tree`:
//   .cache/x.txt  .profile  README  a.txt  pipe (FIFO)  sub/b.txt  sub/deep/c.txt
void BuildWalkTree(TempTree& tree);

// Collects notifications as paths relative to a root, and answers them as told.
class Recorder {
 public:
  explicit Recorder(std::string root) : root_(std::move(root) + "/") {}

  // Called for every notification; returns true to ask for a cancel.
  std::function<bool(const std::string& relative, const TSearchRec& rec)> answer;

  void Record(const std::string& fileName, const TSearchRec& rec, bool& doCancel);

  std::vector<std::string> paths;
  std::vector<int> attrs;

 private:
  std::string root_;
};

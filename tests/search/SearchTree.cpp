#include "SearchTree.h"

#include <stdexcept>

void BuildWalkTree(TempTree& tree) {
  tree.File(".cache/x.txt");
  tree.File(".profile");
  tree.File("README");
  tree.File("a.txt");
  tree.Fifo("pipe");
  tree.File("sub/b.txt");
  tree.File("sub/deep/c.txt");
}

void Recorder::Record(const std::string& fileName, const TSearchRec& rec, bool& doCancel) {
  if (fileName.compare(0, root_.size(), root_) != 0) {
    throw std::logic_error("notified outside the tree: " + fileName);
  }
  const std::string relative = fileName.substr(root_.size());
  paths.push_back(relative);
  attrs.push_back(rec.Attr);
  if (answer && answer(relative, rec)) {
    doCancel = true;
  }
}

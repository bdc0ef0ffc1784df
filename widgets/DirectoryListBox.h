#pragma once

#include <QListWidget>
#include <stdexcept>
#include <string>

// A directory that cannot be opened or read.
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The directory list: the chain of directories from the volume's mount point down to the open
// directory, then the open directory's subdirectories (sorted, hidden ones left out), one row each
// with a folder glyph. A double click or Enter opens a row; a single click only highlights it.
// Paths are byte strings; names are decoded only for display.
class TDirectoryListBox : public QListWidget {
  Q_OBJECT

 public:
  // Opens the working directory.
  explicit TDirectoryListBox(QWidget* parent = nullptr);

  // The open directory's absolute path, without a trailing "/" except at the root.
  [[nodiscard]] const std::string& Directory() const { return directory_; }
  // Opens `directory` (made absolute and canonical). Throws EInOutError when it cannot be opened
  // or read; the list then stays as it was.
  void SetDirectory(const std::string& directory);

  // The directory a row stands for; empty for an index that names no row.
  [[nodiscard]] std::string RowDirectory(int row) const;

  void SetItemHeight(int height);
  [[nodiscard]] int ItemHeight() const { return itemHeight_; }

 signals:
  // The open directory changed (not the highlight).
  void DirectoryChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void OpenRow(int row);

  std::string directory_;
  int itemHeight_ = 16;
};

#pragma once

#include <QComboBox>
#include <QPointer>
#include <map>
#include <string>
#include <vector>

#include "widgets/DirectoryListBox.h"

// The drive box: the mounted volumes by mount point. Linked to a directory list, it shows the
// volume of the list's open directory, and choosing a volume opens that volume's current
// directory (the one last open on it, at first its mount point) in the list. A volume that cannot
// be read is reported through the application's error report; the list then keeps its directory
// while the box goes on showing the chosen volume.
class TDriveComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TDriveComboBox(QWidget* parent = nullptr);

  // The volumes offered, by mount point; the mounted ones unless set. Keeps the current
  // directories remembered for volumes that stay.
  void SetVolumes(std::vector<std::string> mountPoints);
  [[nodiscard]] const std::vector<std::string>& Volumes() const { return volumes_; }

  void SetDirList(TDirectoryListBox* list);
  [[nodiscard]] TDirectoryListBox* DirList() const { return dirList_; }

  // The mount point of the volume shown; empty when none is.
  [[nodiscard]] std::string Drive() const;
  // What choosing an entry does: shows volume `index` and opens its current directory in the
  // linked list, reporting a failure instead of throwing.
  void ChooseDrive(int index);

 private:
  void FollowDirList();
  void ShowVolumeOf(const std::string& directory);

  std::vector<std::string> volumes_;
  std::map<std::string, std::string> currentDirectories_;  // mount point -> directory
  QPointer<TDirectoryListBox> dirList_;
  QMetaObject::Connection dirListConnection_;
};

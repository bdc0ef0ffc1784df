#include "widgets/DriveComboBox.h"

#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>
#include <utility>

#include "widgets/Application.h"
#include "widgets/FileNames.h"
#include "widgets/Volumes.h"

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
  connect(this, &QComboBox::activated, this, &TDriveComboBox::ChooseDrive);
  SetVolumes(MountedVolumes());
}

void TDriveComboBox::SetVolumes(std::vector<std::string> mountPoints) {
  std::sort(mountPoints.begin(), mountPoints.end());
  mountPoints.erase(std::unique(mountPoints.begin(), mountPoints.end()), mountPoints.end());
  volumes_ = std::move(mountPoints);
  std::erase_if(currentDirectories_, [this](const auto& entry) {
    return !std::binary_search(volumes_.begin(), volumes_.end(), entry.first);
  });

  const QSignalBlocker blocker(this);
  clear();
  const QIcon drive = style()->standardIcon(QStyle::SP_DriveHDIcon);
  for (const std::string& mountPoint : volumes_) {
    addItem(drive, DecodedFileName(mountPoint));
  }
  setCurrentIndex(-1);
  FollowDirList();
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
  disconnect(dirListConnection_);
  dirList_ = list;
  if (list != nullptr) {
    dirListConnection_ =
        connect(list, &TDirectoryListBox::DirectoryChanged, this, &TDriveComboBox::FollowDirList);
  }
  FollowDirList();
}

std::string TDriveComboBox::Drive() const {
  const int index = currentIndex();
  return index >= 0 && index < static_cast<int>(volumes_.size())
             ? volumes_[static_cast<size_t>(index)]
             : std::string();
}

void TDriveComboBox::ChooseDrive(int index) {
  if (index < 0 || index >= static_cast<int>(volumes_.size())) {
    return;
  }
  // The box shows the chosen volume even when its directory cannot be opened.
  setCurrentIndex(index);
  if (dirList_ == nullptr) {
    return;
  }
  const std::string& volume = volumes_[static_cast<size_t>(index)];
  const auto remembered = currentDirectories_.find(volume);
  const std::string directory =
      remembered != currentDirectories_.end() ? remembered->second : volume;
  Application().Guard([this, &directory] { dirList_->SetDirectory(directory); });
}

void TDriveComboBox::FollowDirList() {
  if (dirList_ != nullptr) {
    ShowVolumeOf(dirList_->Directory());
  }
}

void TDriveComboBox::ShowVolumeOf(const std::string& directory) {
  const std::string volume = VolumeOf(volumes_, directory);
  if (volume.empty()) {
    return;
  }
  currentDirectories_[volume] = directory;
  const auto position = std::lower_bound(volumes_.begin(), volumes_.end(), volume);
  setCurrentIndex(static_cast<int>(position - volumes_.begin()));
}

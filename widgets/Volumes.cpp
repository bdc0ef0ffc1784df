#include "widgets/Volumes.h"

#include <QStorageInfo>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "widgets/FileNames.h"

std::vector<std::string> MountedVolumes() {
  std::vector<std::string> mountPoints;
  // Qt leaves out the pseudo file systems (proc, sysfs, cgroup and the like).
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid()) {
      mountPoints.push_back(EncodedFileName(volume.rootPath()));
    }
  }
  // The working directory's volume is offered even where Qt counts it as a pseudo file system.
  std::error_code error;
  const std::filesystem::path workingDirectory = std::filesystem::current_path(error);
  if (!error) {
    mountPoints.push_back(MountPointOf(workingDirectory.native()));
  }
  std::sort(mountPoints.begin(), mountPoints.end());
  mountPoints.erase(std::unique(mountPoints.begin(), mountPoints.end()), mountPoints.end());
  return mountPoints;
}

std::string MountPointOf(const std::string& path) {
  const QStorageInfo volume(DecodedFileName(path));
  return volume.isValid() ? EncodedFileName(volume.rootPath()) : std::string("/");
}

std::string VolumeRootOf(const std::string& path) {
  std::string volume = VolumeOf(MountedVolumes(), path);
  return volume.empty() ? MountPointOf(path) : volume;
}

std::string VolumeOf(const std::vector<std::string>& mountPoints, const std::string& path) {
  std::string best;
  for (const std::string& mountPoint : mountPoints) {
    const bool holds =
        mountPoint == "/" || (path.starts_with(mountPoint) &&
                              (path.size() == mountPoint.size() || path[mountPoint.size()] == '/'));
    if (holds && (best.empty() || mountPoint.size() > best.size())) {
      best = mountPoint;
    }
  }
  return best;
}

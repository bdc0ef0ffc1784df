#pragma once

#include <string>
#include <vector>

// The mount points (byte paths) of the mounted volumes that hold real file systems, sorted; the
// volume of the working directory is always among them.
[[nodiscard]] std::vector<std::string> MountedVolumes();

// The mount point of the volume that holds `path`, an existing absolute path.
[[nodiscard]] std::string MountPointOf(const std::string& path);

// The mount point of the offered volume (one of MountedVolumes) that holds the existing absolute
// path `path`: a directory of a pseudo file system (/proc, say) belongs to the real volume it is
// mounted in, so the user can always walk up from it.
[[nodiscard]] std::string VolumeRootOf(const std::string& path);

// Of `mountPoints`, the one that holds the absolute path `path` (the longest that is a leading
// directory of it); empty when none does.
[[nodiscard]] std::string VolumeOf(const std::vector<std::string>& mountPoints,
                                   const std::string& path);

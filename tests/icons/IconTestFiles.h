#pragma once

#include <string>

#include "TempTree.h"
#include "platform/ShellIcons.h"

// Writes `bytes` as `name` in the tree and extracts `index` from it.
inline TExtractIconResult ExtractFrom(TempTree& tree, const std::string& name,
                                      const std::string& bytes, std::uint32_t index) {
  return ExtractIconA(tree.File(name, bytes), index);
}

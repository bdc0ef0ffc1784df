#include <optional>

#include "platform/icons/ByteSource.h"
#include "platform/icons/IconGroup.h"

std::unique_ptr<TIconContainer> OpenIcoContainer(TByteSource& source) {
  std::optional<std::vector<TIconImageRef>> images = ReadIcoDirectory(source, 0, source.Size());
  if (!images) {
    return nullptr;
  }
  return MakeSingleIconContainer(std::move(*images));
}

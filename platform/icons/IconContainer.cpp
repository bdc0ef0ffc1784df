#include "platform/icons/IconContainer.h"

#include <array>

#include "platform/icons/ByteSource.h"
#include "platform/icons/IconGroup.h"

std::unique_ptr<TIconContainer> OpenIconContainer(TByteSource& source) {
  for (auto open : {OpenPeContainer, OpenNeContainer, OpenIcoContainer, OpenAniContainer}) {
    if (std::unique_ptr<TIconContainer> container = open(source)) {
      return container;
    }
  }
  // Any other program (a DOS one, or one cut short before its new header) is still a program: it
  // is of a kind that holds icons, and holds none.
  std::array<std::uint8_t, 2> magic{};
  if (source.Read(0, magic) && magic[0] == 'M' && magic[1] == 'Z') {
    return MakeEmptyContainer();
  }
  return nullptr;
}

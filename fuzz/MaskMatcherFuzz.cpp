// Feeds arbitrary bytes to the mask matcher and checks properties that hold for every input.
//
// Input: one byte of flags (bit 0: IgnoreCase, bit 1: code page 932 instead of UTF-8), one byte
// choosing how much of the rest is the name, one byte choosing where the mask list is cut in two;
// the rest is the name followed by the mask list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/CodePage.h"
#include "search/MatchesLiblary.h"

namespace {

void Check(bool holds) {
  if (!holds) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) {
    return 0;
  }
  const bool ignoreCase = (data[0] & 1) != 0;
  const int codePage = (data[0] & 2) != 0 ? CP_SHIFT_JIS : CP_UTF8;
  const std::string rest(reinterpret_cast<const char*>(data + 3), size - 3);
  const std::size_t nameLength = data[1] % (rest.size() + 1);
  const std::string name = rest.substr(0, nameLength);
  const std::string masks = rest.substr(nameLength);
  SetACP(codePage);

  Check(AnsiLowerCase(name).size() == name.size());
  Check(AnsiLowerCase(masks).size() == masks.size());

  const bool result = MatchesFileMask(name, masks, ignoreCase);
  Check(MatchesFileMask(name, masks + ";", ignoreCase) == result);
  // Ignoring case is matching the lower-cased name with case kept.
  Check(MatchesFileMask(AnsiLowerCase(name), masks, false) == MatchesFileMask(name, masks, true));
  // ";" only separates: a list joined from two lists matches when either of them does.
  const std::size_t cut = data[2] % (masks.size() + 1);
  const std::string front = masks.substr(0, cut);
  const std::string back = masks.substr(cut);
  Check(MatchesFileMask(name, front + ";" + back, ignoreCase) ==
        (MatchesFileMask(name, front, ignoreCase) || MatchesFileMask(name, back, ignoreCase)));
  return 0;
}

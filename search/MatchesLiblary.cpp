#include "search/MatchesLiblary.h"

#include <string_view>

#include "platform/CodePage.h"

namespace {

constexpr std::string_view kWildcards = "*?";

// One mask against one name, both consumed from the front in a single pass.
bool MatchesMask(std::string_view mask, std::string_view name) {
  for (;;) {
    while (!mask.empty() && mask.front() == '?' && !name.empty()) {
      mask.remove_prefix(1);
      name.remove_prefix(1);
    }
    const auto wildcard = mask.find_first_of(kWildcards);
    if (wildcard == std::string_view::npos) {
      return name == mask;
    }
    if (wildcard > 0) {
      // The literal bytes in front of the wildcard must begin the name.
      if (!name.starts_with(mask.substr(0, wildcard))) {
        return false;
      }
      mask.remove_prefix(wildcard);
      name.remove_prefix(wildcard);
      continue;
    }
    // A "*", or a "?" at a name that is used up.
    const std::string_view rest = mask.substr(1);
    if (rest.empty()) {
      return true;
    }
    const std::string_view segment = rest.substr(0, rest.find_first_of(kWildcards));
    if (segment.empty()) {
      return false;  // a wildcard directly followed by another never matches
    }
    const auto found = name.find(segment);
    if (found == std::string_view::npos) {
      return false;
    }
    name.remove_prefix(found);
    mask = rest;
  }
}

}  // namespace

bool MatchesFileMask(std::string FileName, std::string Masks, bool IgnoreCase) {
  const std::string list = AnsiLowerCase(std::move(Masks));
  // Lower-casing a copy gives the same bytes for every mask, so it is done once.
  const std::string name = IgnoreCase ? AnsiLowerCase(std::move(FileName)) : std::move(FileName);
  std::string_view remaining = list;
  while (!remaining.empty()) {
    const auto start = remaining.find_first_not_of(';');
    if (start == std::string_view::npos) {
      break;
    }
    remaining.remove_prefix(start);
    const auto end = remaining.find(';');
    const std::string_view mask = remaining.substr(0, end);
    remaining.remove_prefix(end == std::string_view::npos ? remaining.size() : end + 1);
    // The later masks could not change the answer and have no effect of their own.
    if (MatchesMask(mask, name)) {
      return true;
    }
  }
  return false;
}

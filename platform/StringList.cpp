#include "platform/StringList.h"

#include <stdexcept>

#include "platform/CodePage.h"

void TStrings::AddStrings(const TStrings& Strings) {
  // Counted first, so that a list appended to itself stops at its original end.
  const int count = Strings.Count();
  for (int i = 0; i < count; ++i) {
    Add(Strings.Get(i));
  }
}

const std::string& TStringList::Get(int Index) const {
  if (Index < 0 || Index >= Count()) {
    throw std::out_of_range("list index out of bounds (" + IntToStr(Index) + ")");
  }
  return FList[static_cast<std::size_t>(Index)];
}

int TStringList::Add(std::string S) {
  FList.push_back(std::move(S));
  return Count() - 1;
}

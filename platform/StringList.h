#pragma once

#include <string>
#include <vector>

#include "platform/Events.h"

// A list of byte strings, reached by index.
class TStrings : public TObject {
 public:
  [[nodiscard]] virtual int Count() const = 0;
  // The string at Index; throws std::out_of_range when there is none.
  [[nodiscard]] virtual const std::string& Get(int Index) const = 0;
  // Appends S and returns its index.
  virtual int Add(std::string S) = 0;
  virtual void Clear() = 0;

  // Appends every string of Strings in order; appending a list to itself doubles it.
  void AddStrings(const TStrings& Strings);

  [[nodiscard]] const std::string& operator[](int Index) const { return Get(Index); }
};

// The concrete list: strings in the order they were added.
class TStringList : public TStrings {
 public:
  [[nodiscard]] int Count() const override { return static_cast<int>(FList.size()); }
  [[nodiscard]] const std::string& Get(int Index) const override;
  int Add(std::string S) override;
  void Clear() override { FList.clear(); }

 private:
  std::vector<std::string> FList;
};

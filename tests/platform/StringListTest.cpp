#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/StringList.h"

namespace {

TEST(StringListTest, AddsInOrderAndChecksIndexes) {
  TStringList list;
  EXPECT_EQ(list.Add("b"), 0);
  EXPECT_EQ(list.Add(std::string("a\0z", 3)), 1);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], "b");
  EXPECT_EQ(list[1], std::string("a\0z", 3));
  EXPECT_THROW((void)list[2], std::out_of_range);
  EXPECT_THROW((void)list.Get(-1), std::out_of_range);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringListTest, AddStringsAppendsBehindWhatIsThere) {
  TStringList target;
  target.Add("first");
  TStringList source;
  source.Add("x");
  source.Add("y");
  target.AddStrings(source);
  ASSERT_EQ(target.Count(), 3);
  EXPECT_EQ(target[0], "first");
  EXPECT_EQ(target[2], "y");
  EXPECT_EQ(source.Count(), 2);

  target.AddStrings(target);
  ASSERT_EQ(target.Count(), 6);
  EXPECT_EQ(target[3], "first");
  EXPECT_EQ(target[5], "y");
}

}  // namespace

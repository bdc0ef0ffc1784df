#include <gtest/gtest.h>

#include <QPointer>
#include <memory>

#include "platform/Component.h"

namespace {

// The owner deletes what it owns, which the analyzer cannot see.
// NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
TEST(ComponentTest, IsDestroyedWithItsOwner) {
  auto owner = std::make_unique<QObject>();
  QPointer<TComponent> component = new TComponent(owner.get());
  EXPECT_EQ(component->Owner(), owner.get());
  owner.reset();
  EXPECT_TRUE(component.isNull());
}
// NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)

TEST(ComponentTest, DestroyedFirstItLeavesItsOwner) {
  QObject owner;
  auto component = std::make_unique<TComponent>(&owner);
  auto sibling = std::make_unique<TComponent>(&owner);
  EXPECT_EQ(owner.children().size(), 2);
  component.reset();
  ASSERT_EQ(owner.children().size(), 1);
  EXPECT_EQ(owner.children().front(), sibling.get());
  sibling.reset();
  EXPECT_TRUE(owner.children().isEmpty());
}

}  // namespace

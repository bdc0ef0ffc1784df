#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <string>

#include "TempTree.h"
#include "platform/icons/FileSource.h"

// A file that shrinks after it was opened gives failed reads, never a crash or stale bytes.
TEST(FileSource, AFileThatShrinksWhileReadGivesFailedReads) {
  TempTree tree;
  const std::string path = tree.File("shrinking.dll", std::string(8192, 'x'));
  const std::unique_ptr<TFileSource> source = TFileSource::Open(path);
  ASSERT_TRUE(source);
  std::array<std::uint8_t, 16> small{};
  std::array<std::uint8_t, 2048> large{};
  ASSERT_TRUE(source->Read(0, small));
  ASSERT_EQ(::truncate(path.c_str(), 1000), 0);
  EXPECT_FALSE(source->Read(6000, small));
  EXPECT_FALSE(source->Read(4096, large));
  EXPECT_FALSE(source->Read(8192, small)) << "past the size it had when opened";
}

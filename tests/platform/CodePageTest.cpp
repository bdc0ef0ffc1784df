#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/CodePage.h"

namespace {

struct LowerCase {
  const char* name;
  int codePage;
  std::string input;
  std::string expected;
};

class AnsiLowerCaseTest : public testing::TestWithParam<LowerCase> {};

TEST_P(AnsiLowerCaseTest, LowersWithoutChangingTheLength) {
  const LowerCase& c = GetParam();
  const std::string lowered = AnsiLowerCase(c.input, c.codePage);
  EXPECT_EQ(lowered, c.expected);
  EXPECT_EQ(lowered.size(), c.input.size());
}

INSTANTIATE_TEST_SUITE_P(
    Table, AnsiLowerCaseTest,
    testing::Values(
        LowerCase{"SjisAscii", 932, "SETUP.EXE", "setup.exe"},
        // 0x83 0x41 is a katakana whose trail byte happens to be "A".
        LowerCase{"SjisTrailByteKept", 932, "\x83\x41Z", "\x83\x41z"},
        LowerCase{"SjisHalfWidthKana", 932, "\xB1\xB2X", "\xB1\xB2x"},
        LowerCase{"SjisLeadByteAtEnd", 932, "A\x83", "a\x83"},
        LowerCase{"Utf8Ascii", 65001, "README.TXT", "readme.txt"},
        LowerCase{"Utf8TwoByteLetter", 65001, "\xC3\x84PFEL", "\xC3\xA4pfel"},
        LowerCase{"Utf8Cyrillic", 65001, "\xD0\x94", "\xD0\xB4"},
        // Capital dotted I lowers to a one-byte "i": it would shorten the string, so it stays.
        LowerCase{"Utf8LengthChangingKept", 65001, "\xC4\xB0X", "\xC4\xB0x"},
        LowerCase{"Utf8InvalidBytesKept", 65001, "\xC3Q\xFF\x80", "\xC3q\xFF\x80"},
        LowerCase{"Utf8TruncatedSequence", 65001, "A\xE3\x81", "a\xE3\x81"},
        // The Shift_JIS bytes of "ア" read as UTF-8 are invalid, so the trail "A" is lowered.
        LowerCase{"SjisBytesUnderUtf8", 65001, "\x83\x41", "\x83\x61"}),
    [](const testing::TestParamInfo<LowerCase>& row) { return row.param.name; });

struct PathCase {
  const char* name;
  TPathRules rules;
  int codePage;
  std::string path;
  std::string fileName;
  std::string withDelimiter;
};

class PathRulesTest : public testing::TestWithParam<PathCase> {};

TEST_P(PathRulesTest, FileNameAndTrailingDelimiter) {
  const PathCase& c = GetParam();
  EXPECT_EQ(ExtractFileName(c.path, c.rules, c.codePage), c.fileName);
  EXPECT_EQ(IncludeTrailingPathDelimiter(c.path, c.rules, c.codePage), c.withDelimiter);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PathRulesTest,
    testing::Values(
        PathCase{"PosixFullPath", TPathRules::Posix, 65001, "/a/b/c.exe", "c.exe", "/a/b/c.exe/"},
        PathCase{"PosixNoDelimiter", TPathRules::Posix, 65001, "c.exe", "c.exe", "c.exe/"},
        PathCase{"PosixRoot", TPathRules::Posix, 65001, "/", "", "/"},
        PathCase{"PosixEmpty", TPathRules::Posix, 65001, "", "", ""},
        PathCase{"PosixBackslashIsAName", TPathRules::Posix, 932, "d\\e:f", "d\\e:f", "d\\e:f/"},
        PathCase{"WindowsBackslash", TPathRules::Windows, 932, "C:\\work\\a.exe", "a.exe",
                 "C:\\work\\a.exe\\"},
        PathCase{"WindowsRoot", TPathRules::Windows, 932, "C:\\", "", "C:\\"},
        PathCase{"WindowsDriveColon", TPathRules::Windows, 932, "C:a.exe", "a.exe", "C:a.exe\\"},
        PathCase{"WindowsSlashIsAName", TPathRules::Windows, 932, "a/b", "a/b", "a/b\\"},
        // "表" is 0x95 0x5C: its trail byte is no separator under 932.
        PathCase{"WindowsTrailBackslash", TPathRules::Windows, 932, "C:\\d\\\x95\x5C", "\x95\x5C",
                 "C:\\d\\\x95\x5C\\"},
        PathCase{"WindowsSameBytesUnderUtf8", TPathRules::Windows, 65001, "C:\\d\\\x95\x5C", "",
                 "C:\\d\\\x95\x5C"}),
    [](const testing::TestParamInfo<PathCase>& row) { return row.param.name; });

TEST(CodePageTest, ActiveCodePageDrivesTheDefaultRules) {
  const int before = GetACP();
  SetACP(932);
  EXPECT_EQ(GetACP(), 932);
  EXPECT_TRUE(IsDBCSLeadByte(0x83));
  EXPECT_EQ(AnsiLowerCase("\x83\x41Z"), "\x83\x41z");
  SetACP(65001);
  EXPECT_FALSE(IsDBCSLeadByte(0x83));
  EXPECT_EQ(AnsiLowerCase("\x83\x41Z"), "\x83\x61z");
  EXPECT_THROW(SetACP(1252), std::invalid_argument);
  EXPECT_EQ(GetACP(), 65001);
  SetACP(before);
}

// Sets the locale variables for one test and puts back what was there.
class LocaleEnvironment {
 public:
  LocaleEnvironment() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name,
                          value != nullptr ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
  }
  ~LocaleEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name, value->c_str(), 1);
      } else {
        unsetenv(name);
      }
    }
  }
  LocaleEnvironment(const LocaleEnvironment&) = delete;  // restores the environment once
  LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;

 private:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(CodePageTest, LocaleChoosesTheCodePage) {
  const LocaleEnvironment environment;
  EXPECT_EQ(LocaleCodePage(), 65001);
  setenv("LANG", "ja_JP.SJIS", 1);
  EXPECT_EQ(LocaleCodePage(), 932);
  setenv("LC_CTYPE", "ja_JP.Shift_JIS@quorvel", 1);
  EXPECT_EQ(LocaleCodePage(), 932);
  setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(LocaleCodePage(), 65001);
  setenv("LC_ALL", "ja_JP.eucJP", 1);
  EXPECT_EQ(LocaleCodePage(), 65001);
}

TEST(CodePageTest, LeadBytesOfShiftJis) {
  for (int b = 0; b < 256; ++b) {
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    EXPECT_EQ(IsDBCSLeadByteEx(932, static_cast<unsigned char>(b)), lead) << b;
    EXPECT_FALSE(IsDBCSLeadByteEx(65001, static_cast<unsigned char>(b))) << b;
  }
}

TEST(CodePageTest, IntToStr) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(7), "7");
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(INT_MAX), "2147483647");
  EXPECT_EQ(IntToStr(INT_MIN), "-2147483648");
}

}  // namespace

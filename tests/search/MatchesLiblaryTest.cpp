#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "search/MatchesLiblary.h"

namespace {

struct MaskCase {
  const char* name;
  std::string masks;
  std::string fileName;
  bool ignoreCase;
  bool expected;
};

// Runs under code page 932, the code page of the program's own texts.
class MatchesFileMaskTest : public testing::TestWithParam<MaskCase> {
 protected:
  void SetUp() override {
    saved_ = GetACP();
    SetACP(932);
  }
  void TearDown() override { SetACP(saved_); }

 private:
  int saved_ = 0;
};

TEST_P(MatchesFileMaskTest, Answers) {
  const MaskCase& c = GetParam();
  EXPECT_EQ(MatchesFileMask(c.fileName, c.masks, c.ignoreCase), c.expected)
      << "masks \"" << c.masks << "\", name \"" << c.fileName << "\"";
}

constexpr const char* kA = "\x82\xA0";  // "あ" in code page 932

INSTANTIATE_TEST_SUITE_P(
    Table, MatchesFileMaskTest,
    testing::Values(
        MaskCase{"DotStarNoDot", "*.*", "README", true, false},
        MaskCase{"DotStarFirstDot", "*.*", "a.b.c", true, true},
        MaskCase{"DotStarFinalStarTakesNothing", "*.*", "a.", true, true},
        MaskCase{"SecondMaskMatches", "*.exe;*.dll", "SHELL32.DLL", true, true},
        MaskCase{"NameKeepsItsCase", "*.exe;*.dll", "SHELL32.DLL", false, false},
        MaskCase{"MasksAlwaysLowered", "*.DLL;*.EXE", "calc.exe", false, true},
        MaskCase{"UpperCaseTakenByStar", "*.exe", "SETUP.exe", false, true},
        MaskCase{"StarSettlesOnFirstB", "a*b", "axxbyyb", true, false},
        MaskCase{"StarThenLiteralAtEnd", "a*b", "axxb", true, true},
        MaskCase{"NoBacktracking", "*b", "abab", true, false},
        MaskCase{"FirstExeLeavesExec", "*.exe", "my.exec.exe", true, false},
        MaskCase{"FirstGzIsTheLast", "*.gz", "a.tar.gz", true, true},
        MaskCase{"QuestionAtEmptyName", "?", "", true, true},
        MaskCase{"QuestionOneByte", "?", "x", true, true},
        MaskCase{"QuestionLeavesByteOver", "?", "xy", true, false},
        MaskCase{"QuestionInside", "a?c", "abc", true, true},
        MaskCase{"QuestionTakesTheC", "a?c", "ac", true, false},
        MaskCase{"QuestionAtUsedUpNotLast", "a?c", "a", true, false},
        MaskCase{"FinalQuestionAtUsedUp", "abc?", "abc", true, true},
        MaskCase{"SecondQuestionFinal", "??", "a", true, true},
        MaskCase{"FirstQuestionNotFinal", "??", "", true, false},
        MaskCase{"MaskUsedUpFirst", "a?", "abc", true, false},
        MaskCase{"QuestionInExtension", "*.ex?", "a.exe", true, true},
        MaskCase{"StarAnything", "*", "anything", true, true},
        MaskCase{"StarEmptyName", "*", "", true, true}, MaskCase{"EmptyList", "", "x", true, false},
        MaskCase{"EmptyListEmptyName", "", "", true, false},
        MaskCase{"SeparatorsOnly", ";", "a", true, false},
        MaskCase{"SeparatorsOnlyEmptyName", ";;;", "", true, false},
        MaskCase{"LeadingSeparators", ";;*.ico", "shell.ico", true, true},
        MaskCase{"TrailingSeparator", "*.exe;", "a.exe", true, true},
        MaskCase{"TrailingSeparators", "*.exe;;", "a.exe", true, true},
        MaskCase{"StarStar", "**", "ab", true, false},
        MaskCase{"StarQuestion", "a*?", "abc", true, false},
        MaskCase{"QuestionStar", "?*", "abc", true, true},
        MaskCase{"NameShorterThanLiteral", "abc", "ab", true, false},
        MaskCase{"NameShorterThanLeadingLiteral", "abc*", "ab", true, false},
        MaskCase{"LeadingLiteralBeginsName", "b*", "ab", true, false},
        MaskCase{"BlankIsPartOfMask", " *.exe", "a.exe", true, false},
        MaskCase{"SecondMaskBeginsWithBlank", "*.exe; *.dll", "a.dll", true, false},
        MaskCase{"DoubleByteNeedsTwoQuestions", "??.txt", std::string(kA) + ".txt", true, true},
        MaskCase{"QuestionTakesHalfACharacter", "?.txt", std::string(kA) + ".txt", true, false},
        // Beyond the worked examples: bytes are compared exactly, whatever they are.
        MaskCase{"TrailByteNeverLowered", "\x83\x41*", "\x83\x41.exe", false, true},
        MaskCase{"TrailByteNotFoldedInName", "\x83\x61*", "\x83\x41.exe", true, false},
        MaskCase{"LiteralFoundAtATrailByte", "*a.txt", "\x83\x61.txt", true, true},
        MaskCase{"EmbeddedNulByte", std::string("a\0*", 3), std::string("a\0b", 3), true, true},
        MaskCase{"LaterMaskAfterAMatch", "*;x", "abc", true, true}),
    [](const testing::TestParamInfo<MaskCase>& row) { return row.param.name; });

// The masks follow the active code page: under UTF-8 the trail byte 0x41 is an ordinary "A".
TEST(MatchesFileMaskCodePageTest, MasksAreLoweredByTheActiveCodePage) {
  const int saved = GetACP();
  SetACP(65001);
  EXPECT_FALSE(MatchesFileMask("\x83\x41.exe", "\x83\x41*", false));
  EXPECT_TRUE(MatchesFileMask("\x83\x41.exe", "\x83\x41*", true));
  EXPECT_TRUE(MatchesFileMask("\xC3\x84PFEL.TXT", "\xC3\xA4*.txt", true));
  SetACP(932);
  EXPECT_TRUE(MatchesFileMask("\x83\x41.exe", "\x83\x41*", false));
  SetACP(saved);
}

}  // namespace

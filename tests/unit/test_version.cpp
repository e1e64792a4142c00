#include "texts/version.h"

#include <gtest/gtest.h>

#include "forms/twips.h"
#include "toolkit/argument_text.h"

namespace kavolt {
namespace {

TEST(VersionText, MinorAndRevisionRunTogether) {
  EXPECT_EQ(VersionText({1, 3, 1}), L"1.31.");
  EXPECT_EQ(VersionText({0, 0, 0}), L"0.00.");
  EXPECT_EQ(VersionText({12, 10, 7}), L"12.107.");
}

TEST(VersionText, ThisReleaseCaption) {
  EXPECT_EQ(VersionText(ProgramVersion()), L"1.31.");
  EXPECT_EQ(MainCaption(ProgramVersion()), L"最前面 1.31.");
}

struct ArgumentCase {
  const wchar_t* commandLine;
  const wchar_t* expected;
};

TEST(ArgumentText, SkipsTheProgramNameAsCreateProcessReadsIt) {
  const ArgumentCase cases[] = {
      {L"kavolt.exe", L""},
      {L"kavolt.exe   ", L""},
      {L"\"C:\\Program Files\\Kavolt\\kavolt.exe\"", L""},
      {L"\"C:\\Program Files\\Kavolt\\kavolt.exe\" a b", L"a b"},
      {L"kavolt.exe  a  b ", L"a  b "},
      {L"kavolt.exe\t\"x y.txt\"", L"\"x y.txt\""},
      {L"\"unclosed kavolt.exe a", L""},
      {L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ArgumentText(c.commandLine), c.expected) << "command line: " << c.commandLine;
  }
}

TEST(Twips, PixelsAtCommonDpis) {
  EXPECT_EQ(TwipsToPixels(2655, 96), 177);
  EXPECT_EQ(TwipsToPixels(1140, 96), 76);
  EXPECT_EQ(TwipsToPixels(195, 96), 13);
  EXPECT_EQ(TwipsToPixels(2655, 144), 266);  // 265.5 rounds away from zero
  EXPECT_EQ(TwipsToPixels(-15, 96), -1);
  EXPECT_DOUBLE_EQ(TwipsPerPixel(96), 15.0);
  EXPECT_DOUBLE_EQ(TwipsPerPixel(120), 12.0);
}

}  // namespace
}  // namespace kavolt

#include <gtest/gtest.h>

#include "main/pick_rules.h"

namespace kavolt {
namespace {

TEST(PickRules, WhichPressesPickAndWhatAnAnswerDoes) {
  const NeverPicked never{.mainWindow = 0x10, .shellWindow = 0x20, .desktopWindow = 0x30};
  const struct {
    const char* what;
    WindowId target;
    std::wstring_view title;
    bool picks;
  } presses[] = {
      {"another program's window", 0x40, L"Target", true},
      {"Kavolt's own window", 0x10, L"最前面 1.31.", false},
      {"an untitled window", 0x40, L"", false},
      {"the shell's desktop", 0x20, L"Program Manager", false},
      {"the desktop window", 0x30, L"Desktop", false},
  };
  for (const auto& press : presses) {
    EXPECT_EQ(IsPick(press.target, press.title, never), press.picks) << press.what;
  }

  using enum PickStep;
  const struct {
    PickMode mode;
    std::optional<short> answer;
    std::vector<PickStep> steps;
  } picks[] = {
      {PickMode::kIdle, std::nullopt, {kClearStatus, kIdle}},
      {PickMode::kSet, 0, {kApply, kSliderToZero, kRecord, kIdle}},
      {PickMode::kRelease, 0, {kApply, kSliderToZero, kRecord, kRestoreLayered, kIdle}},
      {PickMode::kSet, 1, {kIdle}},
      {PickMode::kRelease, 1, {kIdle}},
      {PickMode::kSet, std::nullopt, {kIdle}},
  };
  for (const auto& pick : picks) {
    EXPECT_EQ(PickSteps(pick.mode, pick.answer), pick.steps)
        << "mode " << static_cast<int>(pick.mode) << ", answer " << pick.answer.value_or(-1);
  }
}

TEST(PickRules, AWindowOutOfKavoltsReachIsAFailedPick) {
  // Mandatory levels: low, medium, a UIAccess program's at medium, high.
  constexpr std::uint32_t kLow = 0x1000, kMedium = 0x2000, kUiAccess = 0x2010, kHigh = 0x3000;
  using enum PickMode;
  const struct {
    const char* what;
    PickMode mode;
    bool underCursor;
    std::optional<std::uint32_t> target;
    std::uint32_t own;
    bool fails;
  } cases[] = {
      {"an elevated window", kRelease, true, kHigh, kMedium, true},
      {"a UIAccess program", kSet, true, kUiAccess, kMedium, true},
      {"at Kavolt's level", kSet, true, kMedium, kMedium, false},
      {"a lower level", kSet, true, kLow, kMedium, false},
      {"another account's, unread", kSet, true, std::nullopt, kMedium, false},
      {"Alt+Tab to a window not under the cursor", kSet, false, kHigh, kMedium, false},
      {"idle", kIdle, true, kHigh, kMedium, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsPickOutOfReach(c.mode, c.underCursor, c.target, c.own), c.fails) << c.what;
  }
}

}  // namespace
}  // namespace kavolt

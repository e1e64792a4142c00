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

}  // namespace
}  // namespace kavolt

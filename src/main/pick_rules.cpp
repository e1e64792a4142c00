#include "main/pick_rules.h"

namespace kavolt {

bool IsPick(WindowId target, std::wstring_view title, const NeverPicked& never) {
  return !title.empty() && target != never.mainWindow && target != never.shellWindow &&
         target != never.desktopWindow;
}

bool IsPickOutOfReach(PickMode mode, bool foregroundUnderCursor,
                      std::optional<std::uint32_t> targetLevel,
                      std::optional<std::uint32_t> ownLevel) {
  return mode != PickMode::kIdle && foregroundUnderCursor && targetLevel && ownLevel &&
         *targetLevel > *ownLevel;
}

std::vector<PickStep> PickSteps(PickMode mode, std::optional<short> answer) {
  using enum PickStep;
  if (mode == PickMode::kIdle) return {kClearStatus, kIdle};
  if (answer != 0) return {kIdle};
  if (mode == PickMode::kSet) return {kApply, kSliderToZero, kRecord, kIdle};
  return {kApply, kSliderToZero, kRecord, kRestoreLayered, kIdle};
}

}  // namespace kavolt

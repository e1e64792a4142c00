// What a press of the primary button does: whether it picks the window under the
// cursor, and the steps of the pick once its question is answered. No windowing code
// here: the watch loop makes the calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kavolt {

// A window's handle as the watch loop read it; 0 for none.
using WindowId = std::uintptr_t;

// Windows that a press never picks: a press on Kavolt's own window is a click on its
// controls, and the desktop, made topmost, would cover every window, Kavolt's own too.
struct NeverPicked {
  WindowId mainWindow = 0;
  WindowId shellWindow = 0;    // the shell's desktop, "Program Manager"
  WindowId desktopWindow = 0;  // the window behind every other
};

// Whether a press on this top-level window picks it. An untitled window is no pick.
bool IsPick(WindowId target, std::wstring_view title, const NeverPicked& never);

enum class PickMode { kIdle, kSet, kRelease };

// A press on a window of a program that runs at a higher integrity level than Kavolt's
// (an elevated one, or a UIAccess one) never reaches Kavolt: while that window has the
// foreground, Windows hides the buttons' state from it, and would refuse the change
// anyway. So when an armed mode sees the window under the cursor come to the foreground,
// and its level is higher, that is a pick that failed. A level that cannot be read is no
// failure.
bool IsPickOutOfReach(PickMode mode, bool foregroundUnderCursor,
                      std::optional<std::uint32_t> targetLevel,
                      std::optional<std::uint32_t> ownLevel);

enum class PickStep {
  kClearStatus,     // idle mode: the status label empties, and nothing else changes
  kApply,           // into or out of the topmost band; should the window system refuse,
                    // the pick says so and goes straight on to kIdle
  kSliderToZero,    // while the record still names the earlier window, which the
                    // slider's handler makes opaque again
  kRecord,          // the record and the status: the target (set) or nothing (release)
  kRestoreLayered,  // release: the window gets back the layered state its program set
  kIdle,            // the mode back to idle
};

// The steps of a pick in the mode, in order, once its question is answered (idle mode
// asks none). Only "Ok" (0) changes anything: another answer, or none (the question
// closed another way, or could not open), leads straight to idle.
std::vector<PickStep> PickSteps(PickMode mode, std::optional<short> answer);

}  // namespace kavolt

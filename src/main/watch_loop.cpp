// The watch loop: polls the mouse, keeps the guide under the cursor, and turns a
// press of the primary button on another program's window into a pick.
#include <utility>

#include "forms/message_pump.h"
#include "main/frm_front.h"
#include "texts/texts.h"
#include "toolkit/cursor_swap.h"
#include "toolkit/integrity_level.h"
#include "toolkit/layered_state.h"
#include "toolkit/stamps.h"
#include "toolkit/window_ops.h"

namespace kavolt {
namespace {

constexpr DWORD kPausePerPassMs = 10;

WindowId Id(HWND window) { return reinterpret_cast<WindowId>(window); }

// GetAsyncKeyState reads the physical buttons; the primary one is the right button
// while the user has swapped them.
bool PrimaryButtonDown() {
  const bool left = ::GetAsyncKeyState(VK_LBUTTON) < 0;
  const bool leftIsPrimary = ::GetSystemMetrics(SM_SWAPBUTTON) == 0;
  const bool right = ::GetAsyncKeyState(VK_RBUTTON) < 0;
  const bool rightIsPrimary = ::GetSystemMetrics(SM_SWAPBUTTON) != 0;
  return (left && leftIsPrimary) || (right && rightIsPrimary);
}

}  // namespace

void FrmFront::WatchLoop() {
  POINT cursor{};
  POINT guideAt{0, 0};
  bool idlePressSeen = false;  // the press under way was looked at in idle mode
  HWND foregroundSeen = nullptr;
  const std::optional<std::uint32_t> ownLevel = IntegrityLevelOf(::GetCurrentProcessId());
  do {
    KAVOLT_STAMP(kPassStart);
    ::GetCursorPos(&cursor);
    // Only an armed mode's guide exists, created under the cursor: in idle mode it would
    // be made only to be moved, and closed again by the pick.
    if ((cursor.x != guideAt.x || cursor.y != guideAt.y) && frmGuide.FollowCursor(cursor)) {
      guideAt = cursor;
    }

    if (OsVersion.dwPlatformId == VER_PLATFORM_WIN32_NT) Fr1.SetVisible(PinnedWindowExists());

    if (PrimaryButtonDown()) {
      KAVOLT_STAMP(kButtonDown);
      // In idle mode a pick only clears the status: once per press is enough, not once
      // per pass of a drag.
      if (SelectedMode() != PickMode::kIdle || !std::exchange(idlePressSeen, true)) {
        HWND target = TopLevelAncestor(::WindowFromPoint(cursor));
        const std::wstring title = WindowTitle(target);
        if (IsPick(Id(target), title, NeverPickedWindows())) {
          HandlePick(target, title, WindowClassName(target));
        }
      }
    } else {
      idlePressSeen = false;
      KAVOLT_STAMP(kButtonUp);
      if (SelectedMode() != PickMode::kIdle) NoticePickOutOfReach(cursor, ownLevel, foregroundSeen);
    }

    if (DispatchPendingMessages()) CloseOnQuitRequest();
    KAVOLT_STAMP(kPassEnd);
    // A plain sleep, not a wait for messages: under Wine the activation of the clicked
    // window wakes such a wait just around the press, and the stale button state read
    // then delays the pick by a pass or two. A message waits one pass at most.
    ::Sleep(kPausePerPassMs);
  } while (!RunFlag.empty());
}

bool FrmFront::PinnedWindowExists() const {
  HWND pinned = PinnedWindow.Handle;
  // The recorded handle itself, not a search by class and title: a twin window with
  // the same class and title must not hide the panel of one that still exists.
  return pinned != nullptr && ::IsWindow(pinned) &&
         WindowClassName(pinned) == PinnedWindow.ClassName &&
         WindowTitleIs(pinned, PinnedWindow.Title);
}

void FrmFront::NoticePickOutOfReach(POINT cursor, std::optional<std::uint32_t> ownLevel,
                                    HWND& foregroundSeen) {
  HWND foreground = ::GetForegroundWindow();
  if (foreground == foregroundSeen) return;
  foregroundSeen = foreground;
  HWND target = TopLevelAncestor(::WindowFromPoint(cursor));
  const std::wstring title = WindowTitle(target);
  if (!IsPick(Id(target), title, NeverPickedWindows())) return;
  DWORD processId = 0;
  ::GetWindowThreadProcessId(target, &processId);
  const PickMode mode = SelectedMode();
  if (!IsPickOutOfReach(mode, target == foreground, IntegrityLevelOf(processId), ownLevel)) {
    return;
  }
  RestoreArrowCursor();
  frmGuide.Close();
  ReportFailure(mode, title);
  Opt.Select(2);
}

NeverPicked FrmFront::NeverPickedWindows() {
  return {.mainWindow = Id(Handle()),
          .shellWindow = Id(::GetShellWindow()),
          .desktopWindow = Id(::GetDesktopWindow())};
}

void FrmFront::HandlePick(HWND target, const std::wstring& title, const std::wstring& className) {
  RestoreArrowCursor();
  KAVOLT_STAMP(kArrowBack);
  frmGuide.Close();
  KAVOLT_STAMP(kGuideClosed);
  const PickMode mode = SelectedMode();
  const std::optional<short> answer =
      mode == PickMode::kIdle ? std::nullopt : Ask(mode, title);

  bool refused = false;  // by the window system: the rest of the change is left out
  for (const PickStep step : PickSteps(mode, answer)) {
    if (refused && step != PickStep::kIdle) continue;
    switch (step) {
      case PickStep::kClearStatus:
        lblMsg.SetText(L"");
        break;
      case PickStep::kApply:
        refused = !Apply(mode, target);
        if (refused) ReportFailure(mode, title);
        break;
      case PickStep::kSliderToZero:
        HScroll1.SetValue(0);
        break;
      case PickStep::kRecord:
        if (mode == PickMode::kSet) {
          PinnedWindow = {title, className, target};
          lblMsg.SetText(text::kStatusSet);
        } else {
          PinnedWindow = {};
          lblMsg.SetText(text::kStatusRelease);
        }
        break;
      case PickStep::kRestoreLayered:
        RestoreLayeredState(target);
        break;
      case PickStep::kIdle:
        Opt.Select(2);
        break;
    }
  }
}

PickMode FrmFront::SelectedMode() {
  if (Opt.IsSelected(0)) return PickMode::kSet;
  if (Opt.IsSelected(1)) return PickMode::kRelease;
  return PickMode::kIdle;
}

std::optional<short> FrmFront::Ask(PickMode mode, const std::wstring& title) {
  frmMsgBox.lblMsg.SetText(title + L"\r\n" +
                           (mode == PickMode::kSet ? text::kAskSet : text::kAskRelease));
  KAVOLT_STAMP(kQuestionText);
  // A question that could not open has no answer.
  if (!frmMsgBox.ShowModal()) return std::nullopt;
  return frmMsgBox.MsgAnswer;
}

bool FrmFront::Apply(PickMode mode, HWND target) {
  // A target that does not respond counts as a failure without a call that would block.
  if (!WindowResponds(target, kResponseTimeoutMs)) return false;
  // A change that did not take is refused too, whatever SetWindowPos answered.
  const bool set = mode == PickMode::kSet;
  return SetZOrder(target, set ? HWND_TOPMOST : HWND_NOTOPMOST) != FALSE &&
         IsTopmost(target) == set;
}

void FrmFront::ReportFailure(PickMode mode, const std::wstring& title) {
  const std::wstring message =
      title + L"\r\n" + (mode == PickMode::kSet ? text::kFailSet : text::kFailRelease);
  ::MessageBoxW(Handle(), message.c_str(), text::kFailureTitle,
                MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
}

}  // namespace kavolt

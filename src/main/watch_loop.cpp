// The watch loop: polls the mouse, keeps the guide under the cursor, and turns a
// press of the primary button on another program's window into a pick.
#include <cmath>

#include "dialogs/placement.h"
#include "main/frm_front.h"
#include "texts/texts.h"
#include "toolkit/cursor_swap.h"
#include "toolkit/layered_state.h"
#include "toolkit/message_pump.h"
#include "toolkit/twips.h"
#include "toolkit/window_ops.h"

namespace kavolt {
namespace {

constexpr DWORD kPausePerPassMs = 10;

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
  do {
    ::GetCursorPos(&cursor);
    if (cursor.x != guideAt.x || cursor.y != guideAt.y) {
      PlaceGuide(cursor);
      guideAt = cursor;
    }

    if (OsVersion.dwPlatformId == VER_PLATFORM_WIN32_NT) Fr1.SetVisible(PinnedWindowExists());

    if (PrimaryButtonDown()) {
      HWND target = TopLevelAncestor(::WindowFromPoint(cursor));
      const std::wstring title = WindowTitle(target);
      const std::wstring className = WindowClassName(target);
      // Clicks on Kavolt's own controls and on untitled windows are no picks, and nor is
      // the desktop: made topmost, it would cover every window, Kavolt's own included.
      const bool refused = target == Handle() || title.empty() || target == ::GetShellWindow() ||
                           target == ::GetDesktopWindow();
      if (!refused) HandlePick(target, title, className);
    }

    if (DispatchPendingMessages()) CloseOnQuitRequest();
    // A plain sleep, not a wait for messages: under Wine the activation of the clicked
    // window wakes such a wait just around the press, and the stale button state read
    // then delays the pick by a pass or two. A message waits one pass at most.
    ::Sleep(kPausePerPassMs);
  } while (!RunFlag.empty());
}

void FrmFront::PlaceGuide(POINT cursor) {
  const double twipsPerPixel = TwipsPerPixel(frmGuide.Dpi());
  const SIZE outer = frmGuide.OuterSize();
  const PointTwips position =
      GuidePosition(cursor.x, cursor.y, twipsPerPixel, twipsPerPixel, outer.cx * twipsPerPixel,
                    outer.cy * twipsPerPixel);
  frmGuide.MoveTo(ToPixelsNearest(position.x, twipsPerPixel),
                  ToPixelsNearest(position.y, twipsPerPixel));
}

bool FrmFront::PinnedWindowExists() const {
  HWND pinned = PinnedWindow.Handle;
  // The recorded handle itself, not a search by class and title: a twin window with
  // the same class and title must not hide the panel of one that still exists.
  return pinned != nullptr && ::IsWindow(pinned) &&
         WindowClassName(pinned) == PinnedWindow.ClassName &&
         WindowTitleIs(pinned, PinnedWindow.Title);
}

void FrmFront::HandlePick(HWND target, const std::wstring& title, const std::wstring& className) {
  PutBackSavedArrow();
  frmGuide.Close();
  if (Opt.IsSelected(0)) {
    ConfirmAndApply(PickAction::kSet, target, title, className);
  } else if (Opt.IsSelected(1)) {
    ConfirmAndApply(PickAction::kRelease, target, title, className);
  } else {
    lblMsg.SetText(L"");
  }
  // Only now, with the question answered: nothing swaps the arrow in between, and the
  // question opens sooner without it.
  TakeArrowCopy();
  Opt.Select(2);
}

void FrmFront::ConfirmAndApply(PickAction action, HWND target, const std::wstring& title,
                               const std::wstring& className) {
  const bool set = action == PickAction::kSet;
  frmMsgBox.lblMsg.SetText(title + L"\r\n" + (set ? text::kAskSet : text::kAskRelease));
  // Only "Ok" changes anything; "Cancel", a question closed without an answer and one
  // that could not open leave everything as it was.
  if (!frmMsgBox.ShowModal() || frmMsgBox.MsgAnswer != 0) return;

  if (!Apply(action, target)) {
    ReportFailure(action, title);
    return;
  }
  // Back to 0 before the record changes: the slider's handler makes the window it
  // still names opaque again.
  HScroll1.SetValue(0);
  if (set) {
    PinnedWindow = {title, className, target};
    lblMsg.SetText(text::kStatusSet);
  } else {
    PinnedWindow = {};
    lblMsg.SetText(text::kStatusRelease);
    RestoreLayeredState(target);
  }
}

bool FrmFront::Apply(PickAction action, HWND target) {
  // A target that does not respond counts as a failure without a call that would block.
  if (!WindowResponds(target, kResponseTimeoutMs)) return false;
  return SetZOrder(target, action == PickAction::kSet ? HWND_TOPMOST : HWND_NOTOPMOST) != FALSE;
}

void FrmFront::ReportFailure(PickAction action, const std::wstring& title) {
  const std::wstring message =
      title + L"\r\n" + (action == PickAction::kSet ? text::kFailSet : text::kFailRelease);
  ::MessageBoxW(Handle(), message.c_str(), text::kFailureTitle,
                MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
}

}  // namespace kavolt

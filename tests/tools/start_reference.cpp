// Benchmark reference for Kavolt's start: before its first show it does what Kavolt's
// design does there and nothing more. It claims the instance mutex, creates a window with
// the main window's controls, fonts, tooltips and icon (reference_window.cpp), makes it
// topmost, starts a 100 ms one-shot timer, copies the arrow cursor, and shows the window.
// It ends when the window is closed.
#include <windows.h>

#include <commctrl.h>

#include "reference_window.h"
#include "toolkit/handle.h"

namespace {

using kavolt::StampPoint;
using reference::StampIfAsked;

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_TIMER) ::KillTimer(window, w);
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(window, message, w, l);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  StampIfAsked(StampPoint::kEntry);
  const kavolt::UniqueHandle mutex(
      ::CreateMutexW(nullptr, FALSE, L"Local\\Kavolt.StartReference.SingleInstance"));
  if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) return 1;
  StampIfAsked(StampPoint::kSingleInstance);
  const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  StampIfAsked(StampPoint::kCommonControls);

  HWND window = reference::CreateMainWindow(L"KavoltStartReference", MainProc);
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  StampIfAsked(StampPoint::kTopmost);
  ::SetTimer(window, 1, 100, nullptr);
  StampIfAsked(StampPoint::kTimerEnabled);
  reference::AddTooltips(window);
  const kavolt::UniqueCursor arrow(::CopyIcon(::LoadCursorW(nullptr, IDC_ARROW)));
  StampIfAsked(StampPoint::kArrowCopied);
  ::ShowWindow(window, SW_SHOW);
  StampIfAsked(StampPoint::kShown);

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}

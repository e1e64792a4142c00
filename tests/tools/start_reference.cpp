// Benchmark reference for Kavolt's start: before its first show it does what Kavolt's
// design does there and nothing more. It claims the instance mutex, creates a window with
// the main window's controls, fonts, tooltips and icon (reference_window.cpp), makes it
// topmost, starts a 100 ms one-shot timer, copies the arrow cursor, and shows the window.
// It ends when the window is closed.
//
//   start_reference --launch PROGRAM
//     The reference for a command-line launch instead: the same start without the show,
//     then PROGRAM started shown normally, and its first visible unowned window (not the
//     input method's) pinned on top once it answers, looked for every 50 ms, as Kavolt's wait looks; then it ends.
#include <windows.h>

#include <commctrl.h>

#include <string>

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

HWND VisibleWindowOf(DWORD processId) {
  struct Search {
    DWORD processId;
    HWND found;
  } search{processId, nullptr};
  ::EnumWindows(
      [](HWND window, LPARAM state) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(state);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        // Not the input method's window, which Wine shows, nor an owned helper.
        if (owner != s.processId || !::IsWindowVisible(window) ||
            ::GetWindow(window, GW_OWNER) != nullptr || std::wstring(className) == L"IME") {
          return TRUE;
        }
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Launch(const wchar_t* program) {
  std::wstring commandLine = L"\"" + std::wstring(program) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    return 1;
  }
  const kavolt::UniqueHandle process(started.hProcess);
  const kavolt::UniqueHandle thread(started.hThread);
  for (ULONGLONG deadline = ::GetTickCount64() + 10'000; ::GetTickCount64() < deadline;
       ::Sleep(50)) {
    HWND window = VisibleWindowOf(started.dwProcessId);
    DWORD_PTR ignored = 0;
    if (window != nullptr &&
        ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 50, &ignored) != 0) {
      return ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE) ? 0 : 1;
    }
  }
  return 1;
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
  if (__argc == 3 && std::wstring(__wargv[1]) == L"--launch") return Launch(__wargv[2]);
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

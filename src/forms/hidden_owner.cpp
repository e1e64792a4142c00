#include "forms/hidden_owner.h"

#include <vector>

#include "forms/form.h"

namespace kavolt {
namespace {

constexpr wchar_t kHiddenOwnerClass[] = L"KavoltHiddenOwner";

struct OwnedForms {
  HWND owner;
  std::vector<HWND> windows;
};

// A close that reaches the owner (another program may send one) closes the forms it
// owns, each through its own query; the owner itself stays, as it has nothing to lose.
LRESULT CALLBACK HiddenOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_CLOSE) return ::DefWindowProcW(window, message, wParam, lParam);
  OwnedForms owned{window, {}};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND candidate, LPARAM state) -> BOOL {
        auto* forms = reinterpret_cast<OwnedForms*>(state);
        if (::GetWindow(candidate, GW_OWNER) == forms->owner) forms->windows.push_back(candidate);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&owned));
  for (HWND form : owned.windows) {
    if (Form::FromHandle(form) != nullptr) ::SendMessageW(form, WM_CLOSE, 0, 0);
  }
  return 0;
}

}  // namespace

HWND HiddenOwnerWindow() {
  static const HWND owner = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = HiddenOwnerProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kHiddenOwnerClass;
    ::RegisterClassExW(&windowClass);
    return ::CreateWindowExW(0, kHiddenOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
  }();
  return owner;
}

}  // namespace kavolt

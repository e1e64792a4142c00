#include "toolkit/window_ops.h"

#include <algorithm>

namespace kavolt {

BOOL SetZOrder(HWND window, HWND insertAfter) {
  return ::SetWindowPos(window, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool IsTopmost(HWND window) {
  return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void MakeLayered(HWND window) {
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  ::SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
}

void SetWindowAlpha(HWND window, BYTE alpha) {
  ::SetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA);
}

std::wstring WindowClassName(HWND window) {
  // Class names are atoms: at most 256 characters.
  wchar_t name[257] = {};
  const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring WindowTitle(HWND window) {
  // GetWindowTextW reads another program's title without a message, so a hung
  // window cannot block us; grow the buffer until the title fits.
  std::wstring title(256, L'\0');
  for (;;) {
    const int capacity = static_cast<int>(title.size());
    const int length = ::GetWindowTextW(window, title.data(), capacity);
    if (length < capacity - 1) {
      title.resize(length > 0 ? static_cast<size_t>(length) : 0);
      return title;
    }
    title.assign(title.size() * 2, L'\0');
  }
}

bool WindowTitleIs(HWND window, std::wstring_view title) {
  constexpr size_t kComparedLength = 4096;
  const int length = ::GetWindowTextLengthW(window);
  if (length < 0 || static_cast<size_t>(length) != title.size()) return false;
  const std::wstring_view compared = title.substr(0, kComparedLength);
  std::wstring read(compared.size() + 1, L'\0');
  const int copied = ::GetWindowTextW(window, read.data(), static_cast<int>(read.size()));
  return static_cast<size_t>(std::max(copied, 0)) == compared.size() &&
         std::wstring_view(read.data(), compared.size()) == compared;
}

bool WindowResponds(HWND window, UINT timeoutMs) {
  if (::IsHungAppWindow(window)) return false;
  DWORD_PTR ignored = 0;
  return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored) != 0;
}

HWND TopLevelAncestor(HWND window) {
  // A bound instead of cycle detection: real chains are a handful of steps long.
  constexpr int kMaxSteps = 1024;
  HWND current = window;
  for (int step = 0; current != nullptr && step < kMaxSteps; ++step) {
    HWND parent = ::GetParent(current);
    if (parent == nullptr) break;
    current = parent;
  }
  return current;
}

}  // namespace kavolt

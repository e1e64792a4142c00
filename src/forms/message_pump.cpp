#include "forms/message_pump.h"

#include "forms/form.h"

namespace kavolt {

bool TranslateFormNavigation(MSG& message) {
  if (message.hwnd == nullptr) return false;
  HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
  return root != nullptr && Form::FromHandle(root) != nullptr && ::IsDialogMessageW(root, &message);
}

bool DispatchPendingMessages(const std::function<void(const MSG&)>& observe) {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return true;
    }
    if (observe) observe(message);
    if (!TranslateFormNavigation(message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return false;
}

void RunMessageLoop() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!TranslateFormNavigation(message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

}  // namespace kavolt

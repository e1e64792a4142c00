#include "launcher/press_watch.h"

#include "forms/message_pump.h"

namespace kavolt {

PressWatch::PressWatch()
    : sink_(::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                              nullptr)),
      presses_(sink_.get()) {}

void PressWatch::StartItem() {
  DispatchPendingMessages();
  presses_.Start();
}

void PressWatch::DispatchPending() {
  DispatchPendingMessages([this](const MSG& message) {
    if (message.message == WM_INPUT) presses_.Count(message.lParam);
  });
}

}  // namespace kavolt

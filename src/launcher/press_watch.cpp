#include "launcher/press_watch.h"

#include <array>

#include "forms/message_pump.h"

namespace kavolt {
namespace {

constexpr USHORT kGenericDesktopPage = 0x01;
constexpr USHORT kMouseUsage = 0x02;
constexpr USHORT kKeyboardUsage = 0x06;
constexpr USHORT kAnyButtonDown = RI_MOUSE_BUTTON_1_DOWN | RI_MOUSE_BUTTON_2_DOWN |
                                  RI_MOUSE_BUTTON_3_DOWN | RI_MOUSE_BUTTON_4_DOWN |
                                  RI_MOUSE_BUTTON_5_DOWN;
// What raw input reports for the halves of some keys' scan codes, which are no keys.
constexpr USHORT kNoKey = 0xFF;

std::bitset<256> KeysDownNow() {
  std::bitset<256> down;
  for (int key = 1; key < 256; ++key) {
    if (::GetAsyncKeyState(key) < 0) down.set(static_cast<size_t>(key));
  }
  return down;
}

}  // namespace

PressWatch::PressWatch()
    : sink_(::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                              nullptr)) {
  if (!sink_) return;
  // Input sink: reported whichever window has the focus.
  const std::array<RAWINPUTDEVICE, 2> devices{{
      {kGenericDesktopPage, kMouseUsage, RIDEV_INPUTSINK, sink_.get()},
      {kGenericDesktopPage, kKeyboardUsage, RIDEV_INPUTSINK, sink_.get()},
  }};
  registered_ = ::RegisterRawInputDevices(devices.data(), static_cast<UINT>(devices.size()),
                                          sizeof(RAWINPUTDEVICE)) != FALSE;
}

void PressWatch::StartItem() {
  DispatchPendingMessages();
  counter_.Start(KeysDownNow());
}

void PressWatch::DispatchPending() {
  DispatchPendingMessages([this](const MSG& message) { Count(message); });
}

void PressWatch::Count(const MSG& message) {
  if (message.message != WM_INPUT) return;
  RAWINPUT input{};
  UINT size = sizeof(input);
  if (::GetRawInputData(reinterpret_cast<HRAWINPUT>(message.lParam), RID_INPUT, &input, &size,
                        sizeof(RAWINPUTHEADER)) == static_cast<UINT>(-1)) {
    return;
  }
  if (input.header.dwType == RIM_TYPEMOUSE) {
    if ((input.data.mouse.usButtonFlags & kAnyButtonDown) != 0) counter_.ButtonDown();
  } else if (input.header.dwType == RIM_TYPEKEYBOARD && input.data.keyboard.VKey < kNoKey) {
    counter_.Key(static_cast<std::uint8_t>(input.data.keyboard.VKey),
                 (input.data.keyboard.Flags & RI_KEY_BREAK) == 0);
  }
}

}  // namespace kavolt

#include "toolkit/raw_presses.h"

#include <array>
#include <bitset>

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

bool Register(HWND sink, DWORD flags) {
  const std::array<RAWINPUTDEVICE, 2> devices{{
      {kGenericDesktopPage, kMouseUsage, flags, sink},
      {kGenericDesktopPage, kKeyboardUsage, flags, sink},
  }};
  return ::RegisterRawInputDevices(devices.data(), static_cast<UINT>(devices.size()),
                                   sizeof(RAWINPUTDEVICE)) != FALSE;
}

std::bitset<256> KeysDownNow() {
  std::bitset<256> down;
  for (int key = 1; key < 256; ++key) {
    if (::GetAsyncKeyState(key) < 0) down.set(static_cast<size_t>(key));
  }
  return down;
}

}  // namespace

// Input sink: reported whichever window has the focus.
RawPresses::RawPresses(HWND sink)
    : registered_(sink != nullptr && Register(sink, RIDEV_INPUTSINK)) {
  Start();
}

RawPresses::~RawPresses() {
  if (registered_) Register(nullptr, RIDEV_REMOVE);
}

void RawPresses::Start() { counter_.Start(KeysDownNow()); }

void RawPresses::Count(LPARAM rawInput) {
  RAWINPUT input{};
  UINT size = sizeof(input);
  if (::GetRawInputData(reinterpret_cast<HRAWINPUT>(rawInput), RID_INPUT, &input, &size,
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

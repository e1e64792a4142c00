// Benchmark probe: times picks that someone else makes (the benchmark drives them with
// real input). For each pick it notes the moment a press of the primary button reaches
// Windows programs and the moment a window of one of the classes (Kavolt's question, the
// reference's popup) becomes visible, and prints the difference.
//
//   pickbench PICKS CLASS...
//
// Prints {"ready":N} when it watches for pick N (the caller makes the pick after that),
// then {"pick":N,"class":"...","latency_ms":...} for it, and waits until that window is
// gone. The presses that open no window (a click that arms a pick) are superseded by the
// next press. Gives up (exit 1) after five minutes.
//
// The press is taken from raw input, which the system hands out as it takes the press in,
// when GetAsyncKeyState starts to report it. The probe's own GetAsyncKeyState could see it
// up to 50 ms late: Wine answers it from the thread's last reading of a released button for
// that long.
#include <windows.h>

#include <timeapi.h>

#include <cstdio>
#include <cwchar>

namespace {

bool Visible(const wchar_t* windowClass) {
  HWND window = ::FindWindowW(windowClass, nullptr);
  return window != nullptr && ::IsWindowVisible(window);
}

// The first of the classes with a visible window, or nullptr.
const wchar_t* VisibleClass(wchar_t** classes, int count) {
  for (int i = 0; i < count; ++i) {
    if (Visible(classes[i])) return classes[i];
  }
  return nullptr;
}

// Raw input reports the physical buttons; the primary one is the right button while the
// user has swapped them.
USHORT PrimaryDownFlag() {
  return ::GetSystemMetrics(SM_SWAPBUTTON) ? RI_MOUSE_RIGHT_BUTTON_DOWN : RI_MOUSE_LEFT_BUTTON_DOWN;
}

// Handles the waiting messages; true if one of them was a press of the primary button.
bool PressArrived() {
  bool pressed = false;
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_INPUT) {
      RAWINPUT input{};
      UINT size = sizeof(input);
      if (::GetRawInputData(reinterpret_cast<HRAWINPUT>(message.lParam), RID_INPUT, &input, &size,
                            sizeof(RAWINPUTHEADER)) != static_cast<UINT>(-1) &&
          input.header.dwType == RIM_TYPEMOUSE &&
          (input.data.mouse.usButtonFlags & PrimaryDownFlag()) != 0) {
        pressed = true;
      }
    }
    ::DispatchMessageW(&message);
  }
  return pressed;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: pickbench PICKS CLASS...\n", stderr);
    return 2;
  }
  const int picks = _wtoi(argv[1]);
  wchar_t** classes = argv + 2;
  const int classCount = argc - 2;
  const ULONGLONG deadline = ::GetTickCount64() + 300'000;
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  ::timeBeginPeriod(1);

  // A hidden window to receive the mouse's raw input wherever the press lands.
  HWND sink = ::CreateWindowExW(0, L"STATIC", L"pickbench", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  const RAWINPUTDEVICE mouse{
      .usUsagePage = 0x01, .usUsage = 0x02, .dwFlags = RIDEV_INPUTSINK, .hwndTarget = sink};
  if (sink == nullptr || !::RegisterRawInputDevices(&mouse, 1, sizeof(mouse))) {
    std::fputs("pickbench: no raw input from the mouse\n", stderr);
    return 1;
  }

  for (int pick = 0; pick < picks; ++pick) {
    LARGE_INTEGER pressed{};
    PressArrived();  // presses before this pick are not its own
    std::printf("{\"ready\":%d}\n", pick + 1);
    std::fflush(stdout);
    // The press is looked for before the window in every round, so a press is never
    // missed because the window came up within one round.
    const wchar_t* shownClass = nullptr;
    for (;;) {
      if (PressArrived()) ::QueryPerformanceCounter(&pressed);
      shownClass = VisibleClass(classes, classCount);
      if (shownClass != nullptr) break;
      if (::GetTickCount64() > deadline) return 1;
      ::MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_RAWINPUT, MWMO_INPUTAVAILABLE);
    }
    LARGE_INTEGER shown{};
    ::QueryPerformanceCounter(&shown);
    // -1: no press was seen.
    std::printf("{\"pick\":%d,\"class\":\"%ls\",\"latency_ms\":%.2f}\n", pick + 1, shownClass,
                pressed.QuadPart ? Milliseconds(pressed, shown, frequency) : -1.0);
    std::fflush(stdout);
    while (Visible(shownClass)) {
      if (::GetTickCount64() > deadline) return 1;
      PressArrived();
      ::Sleep(1);
    }
  }
  return 0;
}

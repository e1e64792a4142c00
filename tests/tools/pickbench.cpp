// Benchmark probe: times picks that someone else makes (the benchmark drives them with
// real input). For each pick it notes the moment the primary button goes down and the
// moment Kavolt's question window becomes visible, and prints the difference.
//
//   pickbench PICKS [TIMEOUT_S]
//
// Prints {"ready":N} when it watches for pick N (the caller makes the pick after that),
// then {"latency_ms":...} for it. The presses that open no question (a click on an
// option) are simply superseded by the next press.
#include <windows.h>

#include <timeapi.h>

#include <cstdio>
#include <cwchar>

namespace {

bool QuestionVisible() {
  HWND question = ::FindWindowW(L"KavoltQuestionWindow", nullptr);
  return question != nullptr && ::IsWindowVisible(question);
}

bool PrimaryDown() {
  const int key = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return ::GetAsyncKeyState(key) < 0;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs("usage: pickbench PICKS [TIMEOUT_S]\n", stderr);
    return 2;
  }
  const int picks = _wtoi(argv[1]);
  const auto seconds = static_cast<ULONGLONG>(argc > 2 ? _wtoi(argv[2]) : 300);
  const ULONGLONG deadline = ::GetTickCount64() + 1000 * seconds;
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  ::timeBeginPeriod(1);

  for (int pick = 0; pick < picks; ++pick) {
    LARGE_INTEGER pressed{};
    bool wasDown = PrimaryDown();
    std::printf("{\"ready\":%d}\n", pick + 1);
    std::fflush(stdout);
    // The button is sampled before the window in every round, so a press is never
    // missed because the question came up within one round.
    for (;;) {
      const bool down = PrimaryDown();
      if (down && !wasDown) ::QueryPerformanceCounter(&pressed);
      wasDown = down;
      if (QuestionVisible()) break;
      if (::GetTickCount64() > deadline) return 1;
      ::Sleep(1);
    }
    LARGE_INTEGER shown{};
    ::QueryPerformanceCounter(&shown);
    // -1: the press was not seen (the probe was not scheduled while it happened).
    std::printf("{\"latency_ms\":%.2f}\n",
                pressed.QuadPart ? Milliseconds(pressed, shown, frequency) : -1.0);
    std::fflush(stdout);
    while (QuestionVisible()) {
      if (::GetTickCount64() > deadline) return 1;
      ::Sleep(1);
    }
  }
  return 0;
}

// Benchmark: the time from a press of the primary button on a target window to
// Kavolt's question window being visible, over a number of picks.
//
//   pickbench SET_X SET_Y TARGET_X TARGET_Y [PICKS]
//
// SET_X/SET_Y is a point on Kavolt's "設定" option, TARGET_X/TARGET_Y a point on a
// titled window of another program. Each pick: click the option, press on the
// target, time until the question is visible, release, answer "Cancel". Prints one
// JSON line with every latency in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void MoveTo(int x, int y) { ::SetCursorPos(x, y); }

void Button(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof(input));
}

HWND VisibleQuestion() {
  HWND question = ::FindWindowW(L"KavoltQuestionWindow", nullptr);
  return question != nullptr && ::IsWindowVisible(question) ? question : nullptr;
}

bool WaitFor(bool (*condition)(), DWORD limitMs) {
  const ULONGLONG deadline = ::GetTickCount64() + limitMs;
  while (!condition()) {
    if (::GetTickCount64() > deadline) return false;
    ::Sleep(1);
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) {
    std::fputs("usage: pickbench SET_X SET_Y TARGET_X TARGET_Y [PICKS]\n", stderr);
    return 2;
  }
  const int setX = _wtoi(argv[1]), setY = _wtoi(argv[2]);
  const int targetX = _wtoi(argv[3]), targetY = _wtoi(argv[4]);
  const int picks = argc > 5 ? _wtoi(argv[5]) : 20;

  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  std::vector<double> latencies;
  for (int i = 0; i < picks; ++i) {
    MoveTo(setX, setY);
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
    ::Sleep(200);  // the option's click is handled inside Kavolt's next pass
    MoveTo(targetX, targetY);
    ::Sleep(50);

    LARGE_INTEGER start{}, end{};
    ::QueryPerformanceCounter(&start);
    Button(MOUSEEVENTF_LEFTDOWN);
    const bool shown = WaitFor([] { return VisibleQuestion() != nullptr; }, 5000);
    ::QueryPerformanceCounter(&end);
    Button(MOUSEEVENTF_LEFTUP);
    if (!shown) {
      std::fprintf(stderr, "pickbench: no question after pick %d\n", i + 1);
      return 1;
    }
    latencies.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    // "Cancel" is the second button of the question.
    HWND question = VisibleQuestion();
    HWND cancel = ::FindWindowExW(question, ::FindWindowExW(question, nullptr, L"Button", nullptr),
                                  L"Button", nullptr);
    ::PostMessageW(cancel, BM_CLICK, 0, 0);
    if (!WaitFor([] { return VisibleQuestion() == nullptr; }, 5000)) return 1;
  }

  std::string json = "{\"latencies_ms\":[";
  for (size_t i = 0; i < latencies.size(); ++i) {
    json += (i ? "," : "") + std::to_string(latencies[i]);
  }
  std::printf("%s]}\n", json.c_str());
  return 0;
}

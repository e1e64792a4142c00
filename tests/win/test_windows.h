// Plain windows of the test program, made and destroyed around each test, and a
// bounded wait that keeps the test thread's messages flowing.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <vector>

namespace kavolt {

class TestWindow {
 public:
  static constexpr wchar_t kClassName[] = L"KavoltTestWindow";

  explicit TestWindow(const wchar_t* title, bool visible = true,
                      DWORD style = WS_OVERLAPPEDWINDOW, HWND owner = nullptr) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);  // fails harmlessly when already registered
    window_ = CreateWindowExW(0, kClassName, title, style | (visible ? WS_VISIBLE : 0), 50, 50, 300,
                              200, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~TestWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND get() const { return window_; }

  HWND AddChild(const wchar_t* windowClass, HWND parent = nullptr) {
    return CreateWindowExW(0, windowClass, L"child", WS_CHILD | WS_VISIBLE, 10, 10, 80, 24,
                           parent != nullptr ? parent : window_, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }

 private:
  HWND window_ = nullptr;
};

// Dispatches this thread's messages until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(5)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

}  // namespace kavolt

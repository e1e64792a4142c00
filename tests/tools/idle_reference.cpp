// Benchmark reference: a bare Win32 program with one window that only runs a message
// loop. Kavolt's idle processor time is measured against it in the same run. With
// "--poll" it polls instead (PeekMessage, then a 10 ms sleep), the least any polling
// program costs.
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM w, LPARAM l) -> LRESULT {
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, w, l);
  };
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"KavoltIdleReference";
  ::RegisterClassW(&windowClass);
  ::CreateWindowExW(0, L"KavoltIdleReference", L"idle reference", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                    700, 50, 200, 100, nullptr, nullptr, instance, nullptr);
  MSG message;
  if (std::wcsstr(commandLine, L"--poll") != nullptr) {
    for (;;) {
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return 0;
        ::DispatchMessageW(&message);
      }
      ::Sleep(10);
    }
  }
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}

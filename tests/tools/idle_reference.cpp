// Benchmark reference: a bare Win32 program with one window that only runs a message
// loop. Kavolt's idle processor time is measured against it in the same run.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
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
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}

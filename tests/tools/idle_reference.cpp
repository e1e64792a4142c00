// Benchmark reference: a bare Win32 program with one window. Kavolt is measured against
// it in the same run.
//
//   idle_reference           only runs a message loop
//   idle_reference --poll    polls instead (PeekMessage, then a 10 ms sleep), the least any
//                            polling program costs
//   idle_reference --press   polls the same way and reads the primary button on every pass.
//                            Its "Pick" button arms it (the title then ends in "armed"); the
//                            next press on another program's window opens a question by the
//                            cursor, as a plain program would show one: a captionless topmost
//                            popup (class KavoltReferencePopup) with a label and "Ok" and
//                            "Cancel", either of which closes it.
//   idle_reference --press --cursor [--watch TITLE]
//                            also reads the cursor on every pass, as a watch loop must to
//                            keep its guide under it, and looks the window of that title
//                            up, as it checks that the window it pinned is still there
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kMainClass[] = L"KavoltIdleReference";
constexpr wchar_t kPopupClass[] = L"KavoltReferencePopup";
constexpr wchar_t kPickTitle[] = L"pick reference";
constexpr wchar_t kArmedTitle[] = L"pick reference armed";
constexpr int kPickButtonId = 1;

// The popup matches Kavolt's question at 96 dpi (the rig's): client area, controls,
// colours and fonts.
constexpr SIZE kPopupClient{199, 74};
constexpr RECT kLabelRect{8, 4, 193, 69};
constexpr RECT kOkRect{28, 44, 93, 69};
constexpr RECT kCancelRect{104, 44, 169, 69};
constexpr DWORD kPopupStyle = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN;
constexpr DWORD kPopupExStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW;
constexpr COLORREF kLightGreen = RGB(192, 255, 192);
constexpr COLORREF kBlue = RGB(0, 0, 255);

HWND mainWindow = nullptr;
HWND popup = nullptr;
bool armed = false;

// What the popup makes when it is created and frees when it goes, as Kavolt's question does.
struct PopupResources {
  HBRUSH background = nullptr;
  HFONT labelFont = nullptr;
  HFONT buttonFont = nullptr;
} popupResources;

void SetArmed(bool value) {
  armed = value;
  ::SetWindowTextW(mainWindow, value ? kArmedTitle : kPickTitle);
}

HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, RECT r, int id, HWND parent,
           HFONT font) {
  HWND child = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void CreatePopupResources() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  popupResources.buttonFont = ::CreateFontIndirectW(&metrics.lfMessageFont);
  LOGFONTW label = metrics.lfMessageFont;
  label.lfHeight = -13;  // 9.75 pt
  label.lfCharSet = SHIFTJIS_CHARSET;
  wcscpy_s(label.lfFaceName, L"ＭＳ Ｐゴシック");
  popupResources.labelFont = ::CreateFontIndirectW(&label);
  popupResources.background = ::CreateSolidBrush(kLightGreen);
}

void FreePopupResources() {
  ::DeleteObject(popupResources.background);
  ::DeleteObject(popupResources.labelFont);
  ::DeleteObject(popupResources.buttonFont);
  popupResources = {};
}

LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      ::GetClientRect(window, &client);
      ::FillRect(reinterpret_cast<HDC>(w), &client, popupResources.background);
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(w);
      ::SetTextColor(dc, kBlue);
      ::SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(popupResources.background);
    }
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) ::DestroyWindow(window);
      return 0;
    case WM_NCDESTROY:  // after the controls that use the fonts are gone
      popup = nullptr;
      FreePopupResources();
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, w, l);
}

void ShowQuestion(POINT cursor, const std::wstring& text) {
  CreatePopupResources();
  RECT frame{0, 0, kPopupClient.cx, kPopupClient.cy};
  ::AdjustWindowRectEx(&frame, kPopupStyle, FALSE, kPopupExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  // Centred under the cursor, kept on the screen.
  const int x =
      std::clamp(static_cast<int>(cursor.x) - width / 2, 0, std::max(0, screenWidth - width));
  const int y = static_cast<int>(cursor.y + height > screenHeight ? cursor.y - height : cursor.y);
  popup = ::CreateWindowExW(kPopupExStyle, kPopupClass, L"", kPopupStyle, x, y, width, height,
                            nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  // The buttons first, at the top of the Z order: they lie over the label's lower part.
  constexpr DWORD kButtonStyle = WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON;
  HWND ok = Child(L"BUTTON", L"Ok", kButtonStyle, kOkRect, IDOK, popup, popupResources.buttonFont);
  Child(L"BUTTON", L"Cancel", kButtonStyle, kCancelRect, IDCANCEL, popup,
        popupResources.buttonFont);
  Child(L"STATIC", text.c_str(), WS_CLIPSIBLINGS | SS_LEFT, kLabelRect, 0, popup,
        popupResources.labelFont);
  ::ShowWindow(popup, SW_SHOW);
  ::SetForegroundWindow(popup);
  ::SetFocus(ok);
}

bool PrimaryButtonDown() {
  const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return ::GetAsyncKeyState(button) < 0;
}

// A press on this program's own windows (its "Pick" button, the popup) is no pick.
void OnPress() {
  if (!armed || popup != nullptr) return;
  POINT cursor{};
  ::GetCursorPos(&cursor);
  HWND target = ::GetAncestor(::WindowFromPoint(cursor), GA_ROOT);
  DWORD process = 0;
  ::GetWindowThreadProcessId(target, &process);
  if (target == nullptr || process == ::GetCurrentProcessId()) return;
  wchar_t title[256] = {};
  ::GetWindowTextW(target, title, 256);
  SetArmed(false);
  ShowQuestion(cursor, std::wstring(title) + L"\r\nを最前面に設定。\u3000OK？");
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_COMMAND && LOWORD(w) == kPickButtonId) SetArmed(true);
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(window, message, w, l);
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  ::RegisterClassW(&windowClass);
}

// False once the program is asked to end.
bool DispatchPendingMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return false;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  bool poll = false;
  bool press = false;
  bool cursor = false;
  std::wstring watched;
  for (int i = 1; i < __argc; ++i) {
    const std::wstring arg = __wargv[i];
    poll = poll || arg == L"--poll";
    press = press || arg == L"--press";
    cursor = cursor || arg == L"--cursor";
    if (arg == L"--watch" && i + 1 < __argc) watched = __wargv[++i];
  }
  RegisterWindowClass(kMainClass, MainProc, instance);
  RegisterWindowClass(kPopupClass, PopupProc, instance);
  mainWindow = ::CreateWindowExW(0, kMainClass, press ? kPickTitle : L"idle reference",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 50, 200, 100, nullptr,
                                 nullptr, instance, nullptr);
  if (press) {
    Child(L"BUTTON", L"Pick", BS_PUSHBUTTON, RECT{10, 10, 90, 40}, kPickButtonId, mainWindow,
          static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    bool wasDown = PrimaryButtonDown();
    for (;;) {
      POINT position{};
      if (cursor) ::GetCursorPos(&position);
      if (!watched.empty()) ::FindWindowW(nullptr, watched.c_str());
      // Edges only: a held button opens one question.
      const bool down = PrimaryButtonDown();
      if (down && !wasDown) OnPress();
      wasDown = down;
      if (!DispatchPendingMessages()) return 0;
      ::Sleep(10);
    }
  }
  if (poll) {
    while (DispatchPendingMessages()) ::Sleep(10);
    return 0;
  }
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}

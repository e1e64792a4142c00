// Benchmark reference for Kavolt's watch loop, measured against it in the same run.
//
//   idle_reference           one plain window; only runs a message loop
//   idle_reference --poll    polls instead (PeekMessage, then a 10 ms sleep), the least any
//                            polling program costs
//   idle_reference --press [--cursor] [--watch TITLE]
//                            a window like Kavolt's main window (reference_window.cpp),
//                            topmost, polling the same way and reading the primary button
//                            on every pass; with --cursor also the cursor, as a watch loop
//                            must, with a small topmost popup (class KavoltReferenceGuide)
//                            following it while armed, as Kavolt's guide does; with --watch
//                            it looks the
//                            window of that title up, as Kavolt checks that its pinned window
//                            is still there.
//
// A click on its "設定" arms it as a click on Kavolt's arms Kavolt: the arrow cursor is
// copied and swapped, the guide shows, "---" reads "取消". The next press on another
// program's window then puts the arrow back, closes the guide and shows a question by the
// cursor as Kavolt's is made (class KavoltReferencePopup): captionless, topmost, light
// green, a label with the target's title, "Ok" and "Cancel" (either closes it), in the
// same fonts, raised to the front every 100 ms, its main window disabled while it is open.
// With KAVOLT_STAMPS=1 it stamps the points Kavolt's instrumented copy stamps.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

#include "reference_window.h"
#include "texts/texts.h"
#include "toolkit/handle.h"

namespace {

using kavolt::StampPoint;
using reference::StampIfAsked;

constexpr wchar_t kMainClass[] = L"KavoltIdleReference";
constexpr wchar_t kPopupClass[] = L"KavoltReferencePopup";
constexpr wchar_t kGuideClass[] = L"KavoltReferenceGuide";
constexpr POINT kMainPlace{700, 50};  // clear of Kavolt's window in the middle

// Kavolt's question and guide at 96 dpi: client areas, controls, colours and fonts.
constexpr SIZE kPopupClient{199, 74};
constexpr RECT kLabelRect{8, 4, 193, 69};
constexpr RECT kOkRect{28, 44, 93, 69};
constexpr RECT kCancelRect{104, 44, 169, 69};
constexpr DWORD kPopupStyle = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN;
constexpr DWORD kPopupExStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW;
constexpr SIZE kGuideClient{111, 31};
constexpr RECT kGuideLabelRect{0, 0, 109, 29};
constexpr DWORD kGuideStyle = WS_POPUP | WS_DLGFRAME;
constexpr DWORD kGuideExStyle =
    WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
constexpr COLORREF kLightGreen = RGB(192, 255, 192);
constexpr COLORREF kLightYellow = RGB(255, 255, 192);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr UINT_PTR kRaiseTimer = 1;

HWND mainWindow = nullptr;
HWND popup = nullptr;
HWND guide = nullptr;
HWND guideLabel = nullptr;
bool armed = false;
HCURSOR savedArrow = nullptr;  // handed to the system when the arrow goes back

// What a popup makes when it is created and frees when it goes, as Kavolt's forms do.
struct PopupResources {
  kavolt::UniqueBrush background;
  kavolt::UniqueFont labelFont;
  kavolt::UniqueFont buttonFont;
} question, hint;

HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, RECT r, int id, HWND parent,
           HFONT font) {
  HWND child = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void CreatePopupResources(PopupResources& made, COLORREF background) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  made.buttonFont.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
  LOGFONTW label = metrics.lfMessageFont;
  label.lfHeight = -13;  // 9.75 pt
  label.lfCharSet = SHIFTJIS_CHARSET;
  label.lfWeight = FW_NORMAL;
  label.lfItalic = FALSE;
  wcscpy_s(label.lfFaceName, kavolt::text::kFontPGothic);
  made.labelFont.reset(::CreateFontIndirectW(&label));
  made.background.reset(::CreateSolidBrush(background));
}

void Disarm();

// The procedure of both popups: their colours, and the question's buttons and timer.
LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  PopupResources& made = window == guide ? hint : question;
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      ::GetClientRect(window, &client);
      ::FillRect(reinterpret_cast<HDC>(w), &client, made.background.get());
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(w);
      ::SetTextColor(dc, kBlue);
      ::SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(made.background.get());
    }
    case WM_TIMER:
      ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      return 0;
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) ::DestroyWindow(window);
      return 0;
    case WM_NCDESTROY:  // after the controls that use the fonts are gone
      if (window == popup) {
        popup = nullptr;
        ::EnableWindow(mainWindow, TRUE);
        // Back to idle once answered, as Kavolt's pick ends.
        for (int i = 0; i < 3; ++i) {
          ::SendMessageW(reference::Option(i), BM_SETCHECK, i == 2 ? BST_CHECKED : BST_UNCHECKED,
                         0);
        }
        Disarm();
      }
      if (window == guide) guide = guideLabel = nullptr;
      made = {};
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, w, l);
}

HWND CreatePopup(const wchar_t* windowClass, SIZE client, DWORD style, DWORD exStyle, int x,
                 int y) {
  RECT frame{0, 0, client.cx, client.cy};
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  return ::CreateWindowExW(exStyle, windowClass, L"", style, x, y, width, height, nullptr,
                           nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

void CreateGuide() {
  CreatePopupResources(hint, kLightYellow);
  guide = CreatePopup(kGuideClass, kGuideClient, kGuideStyle, kGuideExStyle, CW_USEDEFAULT, 0);
  guideLabel = Child(L"STATIC", L"", SS_CENTER, kGuideLabelRect, 0, guide, hint.labelFont.get());
}

void PlaceGuide(POINT cursor) {
  if (guide == nullptr) CreateGuide();
  RECT r{};
  ::GetWindowRect(guide, &r);
  ::SetWindowPos(guide, nullptr, cursor.x - (r.right - r.left) / 2,
                 cursor.y + (r.bottom - r.top) * 3 / 4, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowQuestion(POINT cursor, const std::wstring& text) {
  CreatePopupResources(question, kLightGreen);
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
  popup = CreatePopup(kPopupClass, kPopupClient, kPopupStyle, kPopupExStyle, x, y);
  StampIfAsked(StampPoint::kWindowCreated);
  // The buttons first, at the top of the Z order: they lie over the label's lower part.
  constexpr DWORD kButtonStyle = WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON;
  HWND ok = Child(L"BUTTON", kavolt::text::kOk, kButtonStyle, kOkRect, IDOK, popup,
                  question.buttonFont.get());
  Child(L"BUTTON", kavolt::text::kCancel, kButtonStyle, kCancelRect, IDCANCEL, popup,
        question.buttonFont.get());
  Child(L"STATIC", text.c_str(), WS_CLIPSIBLINGS | SS_LEFT, kLabelRect, 0, popup,
        question.labelFont.get());
  ::SetTimer(popup, kRaiseTimer, 100, nullptr);
  StampIfAsked(StampPoint::kControlsCreated);
  ::EnableWindow(mainWindow, FALSE);
  ::ShowWindow(popup, SW_SHOW);
  StampIfAsked(StampPoint::kShown);
  ::SetForegroundWindow(popup);
  ::SetFocus(ok);
}

void Arm() {
  if (armed) return;
  armed = true;
  // The copy that goes back, then a cursor of its own as the arrow.
  savedArrow = ::CopyIcon(::LoadCursorW(nullptr, IDC_ARROW));
  ::SetSystemCursor(::CopyIcon(::LoadCursorW(nullptr, IDC_CROSS)), OCR_NORMAL);
  POINT cursor{};
  ::GetCursorPos(&cursor);
  PlaceGuide(cursor);  // made under the cursor, as Kavolt's guide is when a mode is armed
  ::ShowWindow(guide, SW_SHOWNOACTIVATE);
  ::SetWindowTextW(guideLabel, kavolt::text::kGuideSet);
  ::SetWindowTextW(reference::Option(2), kavolt::text::kOptCancel);
}

void Disarm() {
  armed = false;
  if (savedArrow != nullptr) ::SetSystemCursor(std::exchange(savedArrow, nullptr), OCR_NORMAL);
  ::SetWindowTextW(reference::Option(2), kavolt::text::kOptIdle);
}

bool PrimaryButtonDown() {
  const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return ::GetAsyncKeyState(button) < 0;
}

// A press on this program's own windows (its options, the popups) is no pick.
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
  ::SetSystemCursor(std::exchange(savedArrow, nullptr), OCR_NORMAL);
  StampIfAsked(StampPoint::kArrowBack);
  if (guide != nullptr) ::DestroyWindow(guide);
  StampIfAsked(StampPoint::kGuideClosed);
  ShowQuestion(cursor, std::wstring(title) + L"\r\n" + kavolt::text::kAskSet);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_COMMAND && HIWORD(w) == BN_CLICKED) {
    if (LOWORD(w) == reference::kOptionIds[0]) Arm();
    if (LOWORD(w) == reference::kOptionIds[2]) Disarm();
  }
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(window, message, w, l);
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  ::RegisterClassW(&windowClass);
}

// False once the program is asked to end.
bool DispatchPendingMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return false;
    if (!::IsDialogMessageW(::GetAncestor(message.hwnd, GA_ROOT), &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return true;
}

int WatchLoop(bool cursor, const std::wstring& watched) {
  RegisterWindowClass(kPopupClass, PopupProc);
  RegisterWindowClass(kGuideClass, PopupProc);
  // Nothing is pinned: the slider's panel is hidden, as Kavolt's watch loop hides it.
  mainWindow = reference::CreateMainWindow(kMainClass, MainProc, &kMainPlace, false);
  ::SetWindowPos(mainWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  reference::AddTooltips(mainWindow);
  ::ShowWindow(mainWindow, SW_SHOW);
  bool wasDown = PrimaryButtonDown();
  POINT guideAt{0, 0};
  for (;;) {
    StampIfAsked(StampPoint::kPassStart);
    if (cursor) {
      POINT position{};
      ::GetCursorPos(&position);
      if (guide != nullptr && (position.x != guideAt.x || position.y != guideAt.y)) {
        PlaceGuide(position);
        guideAt = position;
      }
    }
    if (!watched.empty()) ::FindWindowW(nullptr, watched.c_str());
    // Edges only: a held button opens one question.
    const bool down = PrimaryButtonDown();
    StampIfAsked(down ? StampPoint::kButtonDown : StampPoint::kButtonUp);
    if (down && !wasDown) OnPress();
    wasDown = down;
    if (!DispatchPendingMessages()) return 0;
    StampIfAsked(StampPoint::kPassEnd);
    ::Sleep(10);
  }
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
  if (press) return WatchLoop(cursor, watched);
  RegisterWindowClass(kMainClass, MainProc);
  ::CreateWindowExW(0, kMainClass, L"idle reference", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 50,
                    200, 100, nullptr, nullptr, instance, nullptr);
  if (poll) {
    while (DispatchPendingMessages()) ::Sleep(10);
    return 0;
  }
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}

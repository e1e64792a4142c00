#include "forms/frame.h"

#include "forms/dpi.h"

namespace kavolt {
namespace {

constexpr wchar_t kFrameClass[] = L"KavoltFrame";

bool IsNotification(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
      return true;
    default:
      return false;
  }
}

// Frames hand their children's notifications to the form, which owns the handlers.
LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND form = ::GetAncestor(frame, GA_ROOT);
  if (IsNotification(message)) return ::SendMessageW(form, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND: {
      auto dc = reinterpret_cast<HDC>(wParam);
      auto brush = reinterpret_cast<HBRUSH>(
          ::SendMessageW(form, WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(frame)));
      RECT client{};
      ::GetClientRect(frame, &client);
      ::FillRect(dc, &client, brush != nullptr ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = ::BeginPaint(frame, &paint);
      RECT border{};
      ::GetClientRect(frame, &border);
      // Like a group box without a caption: the top line sits half a text line down.
      border.top += ::MulDiv(6, static_cast<int>(DpiForWindow(frame)), USER_DEFAULT_SCREEN_DPI);
      ::DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
      ::EndPaint(frame, &paint);
      return 0;
    }
    default:
      return ::DefWindowProcW(frame, message, wParam, lParam);
  }
}

const wchar_t* FrameClass() {
  static const bool registered = [] {
    WNDCLASSEXW frameClass{};
    frameClass.cbSize = sizeof(frameClass);
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = ::GetModuleHandleW(nullptr);
    frameClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    frameClass.lpszClassName = kFrameClass;
    return ::RegisterClassExW(&frameClass) != 0;
  }();
  static_cast<void>(registered);
  return kFrameClass;
}

}  // namespace

Frame::Frame(Form& form, Control* container, RectTwips rect)
    : Control(form, container,
              ControlSpec{.windowClass = FrameClass(),
                          .style = WS_CLIPSIBLINGS,
                          .exStyle = WS_EX_CONTROLPARENT,
                          .rect = rect}) {}

}  // namespace kavolt

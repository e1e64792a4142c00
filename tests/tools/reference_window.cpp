#include "reference_window.h"

#include <commctrl.h>

#include <cwchar>

#include "texts/resource.h"
#include "texts/texts.h"
#include "toolkit/handle.h"

namespace reference {
namespace {

constexpr wchar_t kFrameClass[] = L"KavoltReferenceFrame";
constexpr wchar_t kOwnerClass[] = L"KavoltReferenceOwner";
// Kavolt's layout in pixels at 96 dpi (its twips / 15).
constexpr SIZE kClient{177, 76};
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

HWND options[3] = {};

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
      return ::SendMessageW(::GetAncestor(frame, GA_ROOT), message, w, l);
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = ::BeginPaint(frame, &paint);
      RECT border{};
      ::GetClientRect(frame, &border);
      border.top += 6;
      ::DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
      ::EndPaint(frame, &paint);
      return 0;
    }
    default:
      return ::DefWindowProcW(frame, message, w, l);
  }
}

void Register(const wchar_t* name, WNDPROC procedure, bool icon) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = Instance();
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name;
  if (icon) {
    const auto resource = MAKEINTRESOURCEW(IDI_KAVOLT);
    windowClass.hIcon = static_cast<HICON>(::LoadImageW(Instance(), resource, IMAGE_ICON,
        ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    windowClass.hIconSm = static_cast<HICON>(::LoadImageW(Instance(), resource, IMAGE_ICON,
        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  }
  ::RegisterClassExW(&windowClass);
}

HWND Control(const wchar_t* cls, const wchar_t* text, DWORD style, RECT r, int id, HWND parent,
             HFONT font, DWORD exStyle = 0) {
  HWND control = ::CreateWindowExW(exStyle, cls, text, WS_CHILD | style, r.left, r.top,
                                   r.right - r.left, r.bottom - r.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(),
                                   nullptr);
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// The fonts live as long as the program.
kavolt::UniqueFont dialogFont, gothic9, gothic975;

void CreateFonts() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  dialogFont.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
  LOGFONTW gothic = metrics.lfMessageFont;
  gothic.lfCharSet = SHIFTJIS_CHARSET;
  gothic.lfWeight = FW_NORMAL;
  gothic.lfItalic = FALSE;
  wcscpy_s(gothic.lfFaceName, kavolt::text::kFontGothic);
  gothic.lfHeight = -12;  // 9 pt
  gothic9.reset(::CreateFontIndirectW(&gothic));
  gothic.lfHeight = -13;  // 9.75 pt
  gothic975.reset(::CreateFontIndirectW(&gothic));
}

}  // namespace

void StampIfAsked(kavolt::StampPoint point) {
  static const bool wanted = [] {
    wchar_t value[4] = {};
    return ::GetEnvironmentVariableW(L"KAVOLT_STAMPS", value, 4) == 1 && value[0] == L'1';
  }();
  if (wanted) stamp_log::Write(point);
}

HWND CreateMainWindow(const wchar_t* className, WNDPROC procedure, const POINT* place,
                      bool panelShown) {
  namespace text = kavolt::text;
  Register(className, procedure, /*icon=*/true);
  Register(kFrameClass, FrameProc, /*icon=*/false);
  Register(kOwnerClass, ::DefWindowProcW, /*icon=*/false);
  HWND owner = ::CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 Instance(), nullptr);
  RECT frame{0, 0, kClient.cx, kClient.cy};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = place ? place->x : (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = place ? place->y : (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND window = ::CreateWindowExW(kExStyle, className, L"最前面 1.31.", kStyle, left, top, width,
                                  height, owner, nullptr, Instance(), nullptr);
  StampIfAsked(kavolt::StampPoint::kWindowCreated);

  CreateFonts();
  constexpr DWORD kVisible = WS_VISIBLE;
  Control(WC_STATICW, L"", SS_LEFT, RECT{0, 104, 113, 125}, 0, window, gothic975.get());
  Control(WC_BUTTONW, text::kChkStart, BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
          RECT{36, 128, 93, 141}, 0, window, dialogFont.get());
  HWND outer = Control(kFrameClass, L"", kVisible | WS_CLIPSIBLINGS, RECT{4, 0, 173, 71}, 0,
                       window, dialogFont.get(), WS_EX_CONTROLPARENT);
  constexpr RECT kOptionRects[] = {{8, 20, 53, 33}, {56, 20, 101, 33}, {108, 20, 161, 33}};
  const wchar_t* const captions[] = {text::kOptSet, text::kOptRelease, text::kOptIdle};
  for (int i = 0; i < 3; ++i) {
    const DWORD style = kVisible | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0) |
                        (i == 2 ? WS_TABSTOP : 0);
    options[i] = Control(WC_BUTTONW, captions[i], style, kOptionRects[i], kOptionIds[i], outer,
                         gothic9.get());
  }
  ::SendMessageW(options[2], BM_SETCHECK, BST_CHECKED, 0);
  HWND inner = Control(kFrameClass, L"", (panelShown ? kVisible : 0) | WS_CLIPSIBLINGS,
                       RECT{6, 32, 165, 63}, 0,
                       outer, dialogFont.get(), WS_EX_CONTROLPARENT);
  HWND slider = Control(WC_SCROLLBARW, L"", kVisible | SBS_HORZ | WS_TABSTOP | WS_GROUP,
                        RECT{70, 12, 153, 25}, 0, inner, dialogFont.get());
  const SCROLLINFO range{.cbSize = sizeof(SCROLLINFO), .fMask = SIF_RANGE | SIF_POS | SIF_PAGE,
                         .nMin = 0, .nMax = 255};
  ::SetScrollInfo(slider, SB_CTL, &range, TRUE);
  Control(WC_BUTTONW, text::kChkTran, kVisible | BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
          RECT{6, 12, 53, 25}, 0, inner, dialogFont.get());
  StampIfAsked(kavolt::StampPoint::kControlsCreated);
  return window;
}

void AddTooltips(HWND window) {
  HWND tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                   Instance(), nullptr);
  const wchar_t* const tips[] = {kavolt::text::kTipSet, kavolt::text::kTipRelease,
                                 kavolt::text::kTipIdle};
  for (int i = 0; i < 3; ++i) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(options[i]);
    tool.lpszText = const_cast<wchar_t*>(tips[i]);
    ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  StampIfAsked(kavolt::StampPoint::kTooltips);
}

HWND Option(int index) { return options[index]; }

}  // namespace reference

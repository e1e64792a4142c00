#include "dialogs/frm_msgbox.h"

#include <windowsx.h>

#include "dialogs/placement.h"
#include "dialogs/question_focus.h"
#include "forms/twips.h"
#include "texts/texts.h"
#include "toolkit/window_ops.h"

namespace kavolt {
namespace {

constexpr COLORREF kLightGreen = RGB(192, 255, 192);
constexpr COLORREF kBlue = RGB(0, 0, 255);

FormSpec MsgBoxSpec() {
  return FormSpec{.className = FrmMsgBox::kClassName,
                  .style = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN,
                  // Topmost and by the cursor from its creation: the load handler finds
                  // it in place, without the SetWindowPos calls that cost the question a
                  // few milliseconds before it shows. Its timer raises it every 100 ms.
                  .exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT |
                             WS_EX_TOPMOST,
                  .clientWidthTwips = 2985,
                  .clientHeightTwips = 1110,
                  .background = kLightGreen};
}

}  // namespace

FrmMsgBox::FrmMsgBox()
    : Form(MsgBoxSpec()),
      cmdClose(*this, nullptr,
               {{text::kOk, {420, 660, 975, 375}}, {text::kCancel, {1560, 660, 975, 375}}}),
      lblMsg(*this, nullptr, {120, 60, 2775, 975}, Label::Align::kLeft,
             FontSpec{text::kFontPGothic, 975, SHIFTJIS_CHARSET}, {.text = kBlue}),
      Timer1(*this, 100, /*enabledByDesign=*/true, [this] { Timer1Tick(); }) {
  cmdClose.onClick = [this](int index) { CmdCloseClick(index); };
}

POINT FrmMsgBox::ByTheCursor(SIZE outer, unsigned dpi) {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  const double twipsPerPixel = TwipsPerPixel(dpi);
  const SizeTwips window{outer.cx * twipsPerPixel, outer.cy * twipsPerPixel};
  const SizeTwips screen{::GetSystemMetrics(SM_CXSCREEN) * twipsPerPixel,
                         ::GetSystemMetrics(SM_CYSCREEN) * twipsPerPixel};
  const PointTwips position =
      MessageBoxPosition(cursor.x, cursor.y, twipsPerPixel, twipsPerPixel, window, screen);
  return POINT{ToPixelsNearest(position.x, twipsPerPixel),
               ToPixelsNearest(position.y, twipsPerPixel)};
}

std::optional<POINT> FrmMsgBox::PlaceAtCreation(SIZE outer, unsigned dpi) {
  return ByTheCursor(outer, dpi);
}

void FrmMsgBox::OnLoad() {
  MsgAnswer.reset();
  loadedAt_ = ::GetTickCount64();
  presses_.emplace(Handle());
  // Moves it only if the scale of its monitor changed its size after creation.
  const POINT place = ByTheCursor(OuterSize(), Dpi());
  MoveTo(place.x, place.y);
}

void FrmMsgBox::Timer1Tick() {
  SetZOrder(Handle(), HWND_TOPMOST);
  const milliseconds sinceShown(::GetTickCount64() - loadedAt_);
  const bool pressed = !presses_ || presses_->Pressed();
  if (RetakeForeground(sinceShown, ::GetForegroundWindow() == Handle(), pressed)) {
    TakeForeground();
  }
}

void FrmMsgBox::CmdCloseClick(int index) {
  MsgAnswer = static_cast<short>(index);
  Timer1.SetEnabled(false);
  Close();
}

void FrmMsgBox::LblMsgMouseMove(WPARAM buttons) {
  constexpr WPARAM kAnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;
  if ((buttons & kAnyButton) != MK_LBUTTON) return;
  // Let the system move the window as if its title bar had been pressed.
  ::ReleaseCapture();
  ::SendMessageW(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

std::optional<LRESULT> FrmMsgBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE: {
      // The label lets mouse input through to the window; moves over it are its own.
      POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ::MapWindowPoints(Handle(), lblMsg.Handle(), &point, 1);
      RECT label{};
      ::GetClientRect(lblMsg.Handle(), &label);
      if (::PtInRect(&label, point)) LblMsgMouseMove(wParam);
      return 0;
    }
    case WM_INPUT:
      if (presses_) presses_->Count(lParam);
      return std::nullopt;  // the system frees the input in DefWindowProc
    case WM_DESTROY:
      presses_.reset();
      return std::nullopt;
    case WM_COMMAND:
      // Esc: closed without an answer.
      if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
        Close();
        return 0;
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

}  // namespace kavolt

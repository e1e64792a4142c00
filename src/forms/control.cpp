#include "forms/control.h"

#include "toolkit/window_ops.h"

namespace kavolt {

Control::Control(Form& form, Control* container, ControlSpec spec)
    : form_(form), container_(container), spec_(spec) {
  form_.Adopt(*this);
}

HWND Control::Handle() {
  form_.Handle();
  return window_;
}

HWND Control::ParentWindow() { return container_ != nullptr ? container_->window_ : form_.window_; }

void Control::CreateWindowIn(HWND parent, HFONT font, int id) {
  const RectTwips& r = spec_.rect;
  const DWORD style = WS_CHILD | spec_.style | (spec_.visible ? WS_VISIBLE : 0);
  window_ = ::CreateWindowExW(spec_.exStyle, spec_.windowClass, spec_.text, style,
                              form_.ToPixels(r.left), form_.ToPixels(r.top),
                              form_.ToPixels(r.width), form_.ToPixels(r.height), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void Control::SetText(std::wstring_view text) {
  ::SetWindowTextW(Handle(), std::wstring(text).c_str());
}

std::wstring Control::Text() { return WindowTitle(Handle()); }

void Control::SetVisible(bool visible) {
  HWND window = Handle();
  if (IsVisible() != visible) ::ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

bool Control::IsVisible() {
  return (::GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace kavolt

// How a form's window handles its messages: its controls' notifications, colours,
// timers, focus, closing and DPI changes, before the window procedure's defaults.
#include "forms/form.h"

#include "forms/controls.h"

namespace kavolt {

std::optional<LRESULT> Form::OnMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (const auto handled = OnMessage(message, wParam, lParam)) return *handled;

  switch (message) {
    case WM_COMMAND:
      if (Control* control = ControlFromHandle(reinterpret_cast<HWND>(lParam))) {
        control->OnCommand(HIWORD(wParam));
        return 0;
      }
      break;
    case WM_HSCROLL:
      if (Control* control = ControlFromHandle(reinterpret_cast<HWND>(lParam))) {
        control->OnScroll(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_DRAWITEM: {
      // Any program may send any message: a pointer it leaves out is no item.
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item == nullptr) break;
      if (Control* control = ControlFromHandle(item->hwndItem)) {
        control->OnDrawItem(*item);
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      auto dc = reinterpret_cast<HDC>(wParam);
      const Control* control = ControlFromHandle(reinterpret_cast<HWND>(lParam));
      const auto& spec = control != nullptr ? control->spec_ : ControlSpec{};
      ::SetTextColor(dc, spec.textColor.value_or(::GetSysColor(spec.textSysColor)));
      if (spec.backSysColor) {
        ::SetBkColor(dc, ::GetSysColor(*spec.backSysColor));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(*spec.backSysColor));
      }
      ::SetBkColor(dc, spec_.background.value_or(::GetSysColor(COLOR_BTNFACE)));
      return reinterpret_cast<LRESULT>(BackgroundBrush());
    }
    case WM_ERASEBKGND: {
      RECT client{};
      ::GetClientRect(window_, &client);
      ::FillRect(reinterpret_cast<HDC>(wParam), &client, BackgroundBrush());
      return 1;
    }
    case WM_TIMER:
      if (Timer* timer = TimerFromId(wParam)) {
        if (timer->enabled_ && timer->onTick_) timer->onTick_();
        return 0;
      }
      break;
    case WM_CLOSE:
      if (OnQueryClose()) Close();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(window_, focus)) lastFocus_ = focus;
      } else {
        RestoreFocus();
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_FONTCHANGE:
      ForgetInstalledFonts();
      break;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      if (suggested == nullptr || HIWORD(wParam) == 0) return 0;
      dpi_ = HIWORD(wParam);
      fonts_.clear();
      LayOutControls();
      ::SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Form* form = nullptr;
  if (message == WM_NCCREATE) {
    form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  } else {
    form = reinterpret_cast<Form*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (form == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);

  if (message == WM_NCDESTROY) {
    const LRESULT result = ::DefWindowProcW(window, message, wParam, lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->ForgetWindow();
    return result;
  }
  return form->HandleMessage(message, wParam, lParam);
}

}  // namespace kavolt

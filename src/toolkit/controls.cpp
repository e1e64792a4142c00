#include "toolkit/controls.h"

#include <commctrl.h>

#include <algorithm>

#include "toolkit/dpi.h"
#include "toolkit/window_ops.h"

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

bool IsChecked(HWND button) {
  return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND button, bool checked) {
  ::SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

// ---- Control -------------------------------------------------------------------

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

// ---- Frame, Label ---------------------------------------------------------------

Frame::Frame(Form& form, Control* container, RectTwips rect)
    : Control(form, container,
              ControlSpec{.windowClass = FrameClass(),
                          .style = WS_CLIPSIBLINGS,
                          .exStyle = WS_EX_CONTROLPARENT,
                          .rect = rect}) {}

Label::Label(Form& form, Control* container, RectTwips rect, Align align, FontSpec font,
             std::optional<COLORREF> textColor, std::optional<int> backSysColor, bool visible)
    : Control(form, container,
              ControlSpec{.windowClass = WC_STATICW,
                          .style = SS_OWNERDRAW | WS_CLIPSIBLINGS,
                          .rect = rect,
                          .font = font,
                          .visible = visible,
                          .textColor = textColor,
                          .backSysColor = backSysColor}),
      align_(align) {}

void Label::OnDrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const int saved = ::SaveDC(dc);
  // The colours every static control of the form gets.
  auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
      ::GetParent(item.hwndItem), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
      reinterpret_cast<LPARAM>(item.hwndItem)));
  ::FillRect(dc, &item.rcItem, brush != nullptr ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
  ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  ::SetBkMode(dc, TRANSPARENT);
  ::IntersectClipRect(dc, item.rcItem.left, item.rcItem.top, item.rcItem.right,
                      item.rcItem.bottom);
  // Wrapped as a multi-line edit control wraps (long words broken too), in a rectangle
  // one line taller than the label: the line it cuts is drawn, and clipped at the edge.
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  RECT bounds = item.rcItem;
  bounds.bottom += metrics.tmHeight;
  const std::wstring text = WindowTitle(item.hwndItem);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds,
              DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX |
                  (align_ == Align::kCenter ? DT_CENTER : DT_LEFT));
  ::RestoreDC(dc, saved);
}

// ---- CheckBox -------------------------------------------------------------------

CheckBox::CheckBox(Form& form, Control* container, RectTwips rect, const wchar_t* caption,
                   bool visible)
    : Control(form, container,
              ControlSpec{.windowClass = WC_BUTTONW,
                          .style = BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
                          .text = caption,
                          .rect = rect,
                          .visible = visible}) {}

void CheckBox::OnCreated() { value_ = false; }

bool CheckBox::Value() {
  Handle();
  return value_;
}

void CheckBox::SetValue(bool ticked) {
  HWND window = Handle();
  if (ticked == value_) return;
  value_ = ticked;
  SetChecked(window, ticked);
  if (onChange) onChange();
}

void CheckBox::OnCommand(WORD code) {
  if (code != BN_CLICKED) return;
  const bool ticked = IsChecked(ExistingHandle());
  if (ticked == value_) return;
  value_ = ticked;
  if (onChange) onChange();
}

// ---- OptionGroup ----------------------------------------------------------------

ArrayElement::ArrayElement(Form& form, Control* container, ControlSpec spec,
                           std::function<void()> onCreated,
                           std::function<void(WORD code)> onCommand)
    : Control(form, container, spec),
      onCreated_(std::move(onCreated)),
      onCommand_(std::move(onCommand)) {}

void ArrayElement::OnCreated() {
  if (onCreated_) onCreated_();
}

void ArrayElement::OnCommand(WORD code) {
  if (onCommand_) onCommand_(code);
}

OptionGroup::OptionGroup(Form& form, Control* container, std::initializer_list<OptionSpec> options,
                         FontSpec font, std::size_t selectedByDesign)
    : form_(form), selectedByDesign_(selectedByDesign), selected_(selectedByDesign) {
  for (const OptionSpec& option : options) {
    const bool first = buttons_.empty();
    const ControlSpec spec{.windowClass = WC_BUTTONW,
                           .style = static_cast<DWORD>(BS_AUTORADIOBUTTON | (first ? WS_GROUP : 0)),
                           .text = option.caption,
                           .rect = option.rect,
                           .font = font,
                           .tooltip = option.tooltip};
    const std::size_t index = buttons_.size();
    buttons_.push_back(std::make_unique<ArrayElement>(
        form, container, spec,
        [this, index] { ShowSelection(selectedByDesign_, buttons_[index].get()); },
        [this](WORD code) {
          if (code == BN_CLICKED) NoteUserClick();
        }));
  }
}

void OptionGroup::ShowSelection(std::size_t index, const Control* only) {
  selected_ = index;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (only != nullptr && buttons_[i].get() != only) continue;
    HWND button = buttons_[i]->ExistingHandle();
    if (button == nullptr) continue;
    SetChecked(button, i == index);
    // The tab stop sits on the selected option, as in any dialog's option group.
    LONG_PTR style = ::GetWindowLongPtrW(button, GWL_STYLE);
    style = i == index ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    ::SetWindowLongPtrW(button, GWL_STYLE, style);
  }
}

void OptionGroup::Select(std::size_t index) {
  form_.Handle();
  if (index >= buttons_.size() || index == selected_) return;
  ShowSelection(index, nullptr);
  if (onClick) onClick(static_cast<int>(index));
}

bool OptionGroup::IsSelected(std::size_t index) {
  form_.Handle();
  return index == selected_;
}

void OptionGroup::NoteUserClick() {
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (!IsChecked(buttons_[i]->ExistingHandle())) continue;
    if (i != selected_) {
      ShowSelection(i, nullptr);
      if (onClick) onClick(static_cast<int>(i));
    }
    return;
  }
}

// ---- HScrollBar -----------------------------------------------------------------

HScrollBar::HScrollBar(Form& form, Control* container, RectTwips rect, int minimum, int maximum)
    : Control(form, container,
              ControlSpec{.windowClass = WC_SCROLLBARW,
                          .style = SBS_HORZ | WS_TABSTOP | WS_GROUP,
                          .rect = rect}),
      minimum_(minimum),
      maximum_(maximum),
      value_(minimum) {}

void HScrollBar::OnCreated() {
  value_ = minimum_;
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
  info.nMin = minimum_;
  info.nMax = maximum_;
  info.nPos = value_;
  ::SetScrollInfo(ExistingHandle(), SB_CTL, &info, TRUE);
}

int HScrollBar::Value() {
  Handle();
  return value_;
}

void HScrollBar::SetValue(int value) {
  Handle();
  Change(value);
}

void HScrollBar::Change(int value) {
  value = std::clamp(value, minimum_, maximum_);
  ::SetScrollPos(ExistingHandle(), SB_CTL, value, TRUE);
  if (value == value_) return;
  value_ = value;
  if (onChange) onChange();
}

void HScrollBar::OnScroll(WORD code) {
  switch (code) {
    case SB_LINELEFT:
    case SB_PAGELEFT:  // small and large change are both 1
      Change(value_ - 1);
      break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT:
      Change(value_ + 1);
      break;
    case SB_LEFT:
      Change(minimum_);
      break;
    case SB_RIGHT:
      Change(maximum_);
      break;
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      ::GetScrollInfo(ExistingHandle(), SB_CTL, &info);
      Change(info.nTrackPos);
      break;
    }
    default:  // SB_THUMBTRACK: the value follows the thumb only when it is let go
      break;
  }
}

// ---- CommandButtons -------------------------------------------------------------

CommandButtons::CommandButtons(Form& form, Control* container,
                               std::initializer_list<ButtonSpec> buttons) {
  for (const ButtonSpec& button : buttons) {
    const int index = static_cast<int>(buttons_.size());
    buttons_.push_back(std::make_unique<ArrayElement>(
        form, container,
        ControlSpec{.windowClass = WC_BUTTONW,
                    .style = BS_PUSHBUTTON | WS_TABSTOP | WS_CLIPSIBLINGS,
                    .text = button.caption,
                    .rect = button.rect},
        nullptr,
        [this, index](WORD code) {
          if (code == BN_CLICKED && onClick) onClick(index);
        }));
  }
}

// ---- Timer ----------------------------------------------------------------------

Timer::Timer(Form& form, UINT intervalMs, bool enabledByDesign, std::function<void()> onTick)
    : form_(form),
      interval_(intervalMs),
      enabledByDesign_(enabledByDesign),
      enabled_(false),
      onTick_(std::move(onTick)) {
  form_.Adopt(*this);
}

void Timer::SetEnabled(bool enabled) {
  form_.Handle();
  enabled_ = enabled;
  Apply();
}

void Timer::Apply() {
  if (form_.window_ == nullptr) return;
  const auto position = std::find(form_.timers_.begin(), form_.timers_.end(), this);
  const auto id = static_cast<UINT_PTR>(position - form_.timers_.begin()) + 1;
  if (enabled_) {
    ::SetTimer(form_.window_, id, interval_, nullptr);
  } else {
    ::KillTimer(form_.window_, id);
  }
}

}  // namespace kavolt

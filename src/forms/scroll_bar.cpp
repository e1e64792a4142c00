#include "forms/scroll_bar.h"

#include <commctrl.h>

#include <algorithm>

namespace kavolt {

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

}  // namespace kavolt

#include "forms/label.h"

#include <commctrl.h>

#include <string>

#include "toolkit/window_ops.h"

namespace kavolt {

Label::Label(Form& form, Control* container, RectTwips rect, Align align, FontSpec font,
             LabelColours colours, bool visible)
    : Control(form, container,
              ControlSpec{.windowClass = WC_STATICW,
                          .style = SS_OWNERDRAW | WS_CLIPSIBLINGS,
                          .rect = rect,
                          .font = font,
                          .visible = visible,
                          .textColor = colours.text,
                          .textSysColor = colours.textSys,
                          .backSysColor = colours.backSys}),
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

}  // namespace kavolt

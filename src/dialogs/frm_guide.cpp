#include "dialogs/frm_guide.h"

#include "dialogs/placement.h"
#include "forms/twips.h"
#include "texts/texts.h"

namespace kavolt {
namespace {

FormSpec GuideSpec() {
  return FormSpec{.className = FrmGuide::kClassName,
                  .style = WS_POPUP | WS_DLGFRAME,
                  // Topmost from its creation without SetWindowPos, which would also
                  // activate it and take the focus from the main window.
                  .exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE |
                             WS_EX_TOPMOST,
                  .clientWidthTwips = 1665,
                  .clientHeightTwips = 465,
                  .background = RGB(255, 255, 192),
                  // A hint must not take the focus from the window the user works in.
                  .activateOnShow = false};
}

}  // namespace

FrmGuide::FrmGuide()
    : Form(GuideSpec()),
      lblMsg(*this, nullptr, {0, 0, 1635, 435}, Label::Align::kCenter,
             FontSpec{text::kFontPGothic, 975, SHIFTJIS_CHARSET}, {.text = RGB(0, 0, 255)}) {}

POINT FrmGuide::BelowCursor(POINT cursor, SIZE outer, unsigned dpi) {
  const double twipsPerPixel = TwipsPerPixel(dpi);
  const PointTwips position =
      GuidePosition(cursor.x, cursor.y, twipsPerPixel, twipsPerPixel, outer.cx * twipsPerPixel,
                    outer.cy * twipsPerPixel);
  return POINT{ToPixelsNearest(position.x, twipsPerPixel),
               ToPixelsNearest(position.y, twipsPerPixel)};
}

std::optional<POINT> FrmGuide::PlaceAtCreation(SIZE outer, unsigned dpi) {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  return BelowCursor(cursor, outer, dpi);
}

bool FrmGuide::FollowCursor(POINT cursor) {
  if (!Exists()) return false;
  const POINT place = BelowCursor(cursor, OuterSize(), Dpi());
  MoveTo(place.x, place.y);
  return true;
}

}  // namespace kavolt

#pragma once

#include <optional>

#include "toolkit/control.h"

namespace kavolt {

// Multi-line text, wrapped within the label's width and cut at its lower edge: a line
// only partly inside is drawn as far as it shows, where a plain static control would
// hide it whole.
class Label : public Control {
 public:
  enum class Align { kLeft, kCenter };
  Label(Form& form, Control* container, RectTwips rect, Align align, FontSpec font,
        std::optional<COLORREF> textColor, std::optional<int> backSysColor, bool visible = true);

 protected:
  void OnDrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  Align align_;
};

}  // namespace kavolt

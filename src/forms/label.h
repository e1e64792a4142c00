#pragma once

#include <optional>

#include "forms/control.h"

namespace kavolt {

// Multi-line text, wrapped within the label's width and cut at its lower edge: a line
// only partly inside is drawn as far as it shows, where a plain static control would
// hide it whole.
// A label's colours: a text colour of its own, or the system's colours (COLOR_ indexes),
// read whenever it is drawn so that they follow the user's colour scheme.
struct LabelColours {
  std::optional<COLORREF> text;
  int textSys = COLOR_BTNTEXT;  // when text is none
  std::optional<int> backSys;   // none: the form's background
};

class Label : public Control {
 public:
  enum class Align { kLeft, kCenter };
  Label(Form& form, Control* container, RectTwips rect, Align align, FontSpec font,
        LabelColours colours, bool visible = true);

 protected:
  void OnDrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  Align align_;
};

}  // namespace kavolt

#pragma once

#include "forms/control.h"

namespace kavolt {

// A captionless frame: an etched border that holds other controls.
class Frame : public Control {
 public:
  Frame(Form& form, Control* container, RectTwips rect);
};

}  // namespace kavolt

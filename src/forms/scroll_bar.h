#pragma once

#include <functional>

#include "forms/control.h"

namespace kavolt {

// The change handler runs after a click, a keyboard step, the end of a thumb drag or
// a change by code; never while the thumb is being dragged.
class HScrollBar : public Control {
 public:
  HScrollBar(Form& form, Control* container, RectTwips rect, int minimum, int maximum);
  int Value();
  void SetValue(int value);
  std::function<void()> onChange;

 protected:
  void OnCreated() override;
  void OnScroll(WORD code) override;

 private:
  void Change(int value);
  int minimum_;
  int maximum_;
  int value_;
};

}  // namespace kavolt

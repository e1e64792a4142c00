// The person's presses of keys and mouse buttons anywhere on the desktop, whichever
// window has the focus, from the raw input that the system sends a window of Kavolt's
// as WM_INPUT. A process has one registration: the window registered last receives it.
#pragma once

#include <windows.h>

#include "toolkit/press_counter.h"

namespace kavolt {

class RawPresses {
 public:
  // Registers the keyboard and the mouse for the window, and starts counting.
  explicit RawPresses(HWND sink);
  ~RawPresses();
  RawPresses(const RawPresses&) = delete;
  RawPresses& operator=(const RawPresses&) = delete;

  // From now on presses count.
  void Start();

  // Counts the press that a WM_INPUT's raw input reports, if it is one.
  void Count(LPARAM rawInput);

  // Also true when raw input could not be registered: then no press can be ruled out.
  bool Pressed() const { return !registered_ || counter_.Pressed(); }

 private:
  bool registered_ = false;
  PressCounter counter_;
};

}  // namespace kavolt

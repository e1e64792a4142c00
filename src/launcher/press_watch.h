// The person's presses of keys and mouse buttons anywhere on the desktop, read from raw
// input while command-line mode runs: a window that comes up after one may be the
// person's doing, not the started program's.
#pragma once

#include <windows.h>

#include "launcher/launch_rules.h"
#include "toolkit/handle.h"

namespace kavolt {

class PressWatch {
 public:
  // Registers the keyboard and the mouse on a hidden window of Kavolt's own.
  PressWatch();

  // From now on presses count: input that arrived before is handled without counting.
  void StartItem();

  // Handles Kavolt's pending messages, counting the presses among them.
  void DispatchPending();

  // Also true when raw input could not be registered: then no press can be ruled out.
  bool Pressed() const { return !registered_ || counter_.Pressed(); }

 private:
  void Count(const MSG& message);

  UniqueWindow sink_;
  bool registered_ = false;
  PressCounter counter_;
};

}  // namespace kavolt

// The person's presses of keys and mouse buttons anywhere on the desktop while
// command-line mode runs: a window that comes up after one may be the person's doing,
// not the started program's.
#pragma once

#include <windows.h>

#include "toolkit/handle.h"
#include "toolkit/raw_presses.h"

namespace kavolt {

class PressWatch {
 public:
  // Registers the keyboard and the mouse on a hidden window of Kavolt's own.
  PressWatch();

  // From now on presses count: input that arrived before is handled without counting.
  void StartItem();

  // Handles Kavolt's pending messages, counting the presses among them.
  void DispatchPending();

  bool Pressed() const { return presses_.Pressed(); }

 private:
  UniqueWindow sink_;
  RawPresses presses_;
};

}  // namespace kavolt

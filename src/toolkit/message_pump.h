// Message dispatch outside a plain GetMessage loop: the watch loop and the launcher
// handle the thread's pending messages between their own steps.
#pragma once

#include <windows.h>

namespace kavolt {

// Keyboard navigation (Tab, arrows, Esc) inside Kavolt's forms; true when handled.
bool TranslateFormNavigation(MSG& message);

// Handles every message waiting for this thread, then returns. A WM_QUIT found
// here is put back for the outer loop, and the result is true.
bool DispatchPendingMessages();

// The ordinary loop of the program's outer level; returns at a WM_QUIT.
void RunMessageLoop();

}  // namespace kavolt

// Message dispatch outside a plain GetMessage loop: the watch loop and the launcher
// handle the thread's pending messages between their own steps.
#pragma once

#include <windows.h>

#include <functional>

namespace kavolt {

// Keyboard navigation (Tab, arrows, Esc) inside Kavolt's forms; true when handled.
bool TranslateFormNavigation(MSG& message);

// Handles every message waiting for this thread, then returns. A WM_QUIT found
// here is put back for the outer loop, and the result is true. The observer, if any,
// sees each message before it is handled.
bool DispatchPendingMessages(const std::function<void(const MSG&)>& observe = {});

// The ordinary loop of the program's outer level; returns at a WM_QUIT.
void RunMessageLoop();

}  // namespace kavolt

// Waiting for the window of one started item, and finding it: the Win32 side of the
// launch rules.
#pragma once

#include <windows.h>

#include <functional>
#include <unordered_set>

namespace kavolt {

class PressWatch;

using WindowSet = std::unordered_set<HWND>;

// Every top-level window that exists now, shown or not.
WindowSet TopLevelWindows();

struct StartedItem {
  // Open until the wait ends, so that no other process can take the process's id.
  HANDLE process = nullptr;  // nullptr: the shell started nothing Kavolt can name
  ULONGLONG startTick = 0;   // GetTickCount64 just before the start
  const WindowSet* existedBefore = nullptr;
  HWND foregroundAtStart = nullptr;
};

// Tries to pin the window; true when it took.
using PinWindow = std::function<bool(HWND window)>;

// Waits for the item's window and pins it, looking every 50 ms while Kavolt's own
// messages are handled and the person's presses counted: the started process's own
// window (a console program's: its console's, or the terminal window that hosts it),
// else a window of one of its descendants, oldest process first, else a window it
// handed over to. A window that does not answer yet, or whose pin did not take, is tried
// again at the next look. The window pinned; nullptr when none was, as soon as none can
// come any more.
HWND WaitUntilRunning(const StartedItem& item, PressWatch& presses, const PinWindow& pin);

}  // namespace kavolt

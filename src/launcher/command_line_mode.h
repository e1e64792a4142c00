// Command-line mode: started with arguments, Kavolt starts every item (a program
// directly, a document through the program registered for its type), pins each
// started program's window on top, and ends without showing a window of its own.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <string_view>

namespace kavolt {

struct LaunchResult {
  DWORD processId = 0;     // 0: the item failed
  HWND window = nullptr;   // the started program's window, activated
};

// How long a started program may take to show a window.
inline constexpr std::chrono::seconds kLaunchTimeout{10};

// How long a started program's window may take to answer before it is left unpinned;
// the main window gives a picked window as long.
inline constexpr UINT kPinResponseTimeoutMs = 1000;

// Starts one item. The item may come back trimmed and quoted; the document argument
// holds the document's path when a registered program was used. Never throws: any
// failure yields a result with process id 0.
LaunchResult LaunchItem(std::wstring& item, std::wstring& documentArgument);

// Waits until the process is ready for input and shows a visible top-level window,
// dispatching Kavolt's own messages meanwhile. nullptr when the process ended or
// showed no window in time.
HWND WaitUntilRunning(HANDLE process, DWORD processId, std::chrono::milliseconds timeout);

[[noreturn]] void RunCommandLineMode(std::wstring_view argumentText);

}  // namespace kavolt

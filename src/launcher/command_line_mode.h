// Command-line mode: started with arguments, Kavolt starts every item (a program
// directly, a document through the program registered for its type), pins each
// started program's window on top, and ends without showing a window of its own.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <string_view>
#include <unordered_set>

namespace kavolt {

struct LaunchResult {
  DWORD processId = 0;     // 0: the item failed
  HWND window = nullptr;   // the started program's window, or the one it handed over to
};

// How long a started program may take to show a window.
inline constexpr std::chrono::seconds kLaunchTimeout{10};

using WindowSet = std::unordered_set<HWND>;

// Every top-level window that exists now.
WindowSet TopLevelWindows();

// Starts one item. The item may come back trimmed and quoted; the document argument
// holds the document's path when a registered program was used. Never throws: any
// failure yields a result with process id 0.
LaunchResult LaunchItem(std::wstring& item, std::wstring& documentArgument);

// Waits until the process is ready for input and shows a visible top-level window (a
// console program: until its console's window shows), dispatching Kavolt's own messages
// meanwhile. A process that ends first may have handed over to another one (a launcher
// stub, Windows 11's notepad.exe): then the window is a visible, titled one that comes
// to the foreground and is not among those that existed before the start. nullptr when
// no such window shows in time.
HWND WaitUntilRunning(HANDLE process, DWORD processId, const WindowSet& existedBefore,
                      std::chrono::milliseconds timeout);

[[noreturn]] void RunCommandLineMode(std::wstring_view argumentText);

}  // namespace kavolt

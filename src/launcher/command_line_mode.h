// Command-line mode: started with arguments, Kavolt starts every item (a program
// directly, a document through the program registered for its type), pins each
// started program's window on top, and ends without showing a window of its own.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "launcher/press_watch.h"

namespace kavolt {

struct LaunchResult {
  HWND window = nullptr;  // the window pinned; nullptr: none was
};

// What every item of one run shares.
struct LaunchSession {
  // The folder Kavolt was started from, read before the first item makes Kavolt's own
  // folder the current one: a registered command's program is never looked for in it.
  std::wstring startFolder;
  PressWatch presses;
};

// Starts one item and pins its window. The item may come back trimmed and quoted; the
// document argument holds the document's path when a registered program was used.
// Never throws: any failure yields a result without a window.
LaunchResult LaunchItem(std::wstring& item, std::wstring& documentArgument,
                        LaunchSession& session);

[[noreturn]] void RunCommandLineMode(std::wstring_view argumentText);

}  // namespace kavolt

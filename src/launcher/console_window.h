// Console programs: Windows gives one that starts without a console a console window of
// its own, and that window (or the terminal that hosts the console) is what its user sees.
#pragma once

#include <windows.h>

#include <string>

namespace kavolt {

// Whether the program that runs for this file is a console program: the file itself, or
// cmd.exe for a batch file.
bool IsConsoleProgram(const std::wstring& application);

// The window that shows the process's console: the console's window, or the root owner
// that hosts it (a terminal's window). nullptr while there is none, or none visible.
HWND ConsoleWindowOf(DWORD processId);

}  // namespace kavolt

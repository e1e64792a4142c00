// Console programs: Windows gives one that starts without a console a console window of
// its own, and that window (or the terminal that hosts the console) is what its user sees.
#pragma once

#include <windows.h>

#include <string>

namespace kavolt {

// Whether the program that runs for this file is a console program: the file itself, or
// cmd.exe for a batch file.
bool IsConsoleProgram(const std::wstring& application);

// The window of the process's console, shown or not (a terminal keeps a pseudo
// console's hidden); nullptr while there is none, or once the process has ended.
HWND ConsoleWindowOf(DWORD processId);

}  // namespace kavolt

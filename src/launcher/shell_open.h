// Opening a document through the shell, for what only the shell can start: a packaged
// app, or a verb that a COM object carries out (DelegateExecute).
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "toolkit/handle.h"

namespace kavolt {

// Opens the document (a full path) with the class and its verb (empty: the class's
// default), in the folder given, without any error box. The process comes back when the
// shell started one it can name; none when the system activated an app or a running
// program took the document. false when the shell could not open it.
bool OpenWithShell(const std::wstring& progId, const std::wstring& verb,
                   const std::wstring& document, const std::wstring& folder,
                   UniqueHandle& process);

// The call that opens it; tests put a recording function in its place.
using ShellExecuteExCall = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
void UseShellExecuteEx(ShellExecuteExCall call);

}  // namespace kavolt

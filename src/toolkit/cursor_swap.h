// The swap of the system-wide normal arrow for a cursor file, and its way back.
// A cursor handed to SetSystemCursor belongs to the system from then on, so the
// saved copy of the standard arrow is used up by every restore and taken afresh.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace kavolt {

// The user32 calls the swap makes; tests put recording functions in their place.
struct CursorCalls {
  BOOL(WINAPI* setSystemCursor)(HCURSOR, DWORD);
  HCURSOR(WINAPI* loadCursorFromFile)(LPCWSTR);
  HICON(WINAPI* copyIcon)(HICON);
  HCURSOR(WINAPI* loadCursor)(HINSTANCE, LPCWSTR);
  BOOL(WINAPI* destroyCursor)(HCURSOR);
  BOOL(WINAPI* systemParametersInfo)(UINT, UINT, PVOID, UINT);
};
CursorCalls RealCursorCalls();
void UseCursorCalls(const CursorCalls& calls);

// The private copy of the standard arrow that the next restore hands to the system.
HCURSOR SavedArrowCursor();

// A run of Kavolt that was killed while a mode was armed leaves its cursor as the
// system arrow, and a copy taken then would put that cursor back for good. When the
// arrow shows one of these cursor files (relative to the executable's folder), the
// user's own cursor scheme is loaded again; any other arrow is the user's and stays.
void PutBackArrowLeftByKavolt(std::initializer_list<std::wstring_view> cursorFiles);

// Takes a copy of the arrow now shown as the standard one into SavedArrowCursor.
void TakeArrowCopy();

// Replaces the system arrow with the cursor file at the executable's folder, "\" and
// the name. A missing, hidden, system or unloadable file changes nothing, and so does
// every swap while there is no saved copy to put back.
void SwapArrowCursor(std::wstring_view relativeName);

// Puts the saved copy back as the system arrow and takes a fresh copy.
void RestoreArrowCursor();

// The first half of RestoreArrowCursor: the saved copy is used up, and TakeArrowCopy
// must run before the next swap. A copy the system refuses stays Kavolt's, and is
// destroyed.
void PutBackSavedArrow();

// For the program's end and a crash: puts the saved copy back only if Kavolt swapped
// the arrow, without allocating, locking or taking a new copy.
void RestoreArrowCursorIfSwapped() noexcept;

}  // namespace kavolt

// The swap of the system-wide normal arrow for a cursor file, and its way back.
// A cursor handed to SetSystemCursor belongs to the system from then on, so the
// saved copy of the arrow is used up by the put-back and taken afresh at each swap.
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
  HANDLE(WINAPI* copyImage)(HANDLE, UINT, int, int, UINT);
  HCURSOR(WINAPI* loadCursor)(HINSTANCE, LPCWSTR);
  BOOL(WINAPI* destroyCursor)(HCURSOR);
  BOOL(WINAPI* systemParametersInfo)(UINT, UINT, PVOID, UINT);
};
CursorCalls RealCursorCalls();
void UseCursorCalls(const CursorCalls& calls);

// The private copy of the arrow that the next put-back hands to the system.
HCURSOR SavedArrowCursor();

// A run of Kavolt that was killed while a mode was armed leaves its cursor as the
// system arrow, and a copy taken then would put that cursor back for good. When the
// arrow shows one of these cursor files (relative to the executable's folder), the
// user's own cursor scheme is loaded again; any other arrow is the user's and stays.
void PutBackArrowLeftByKavolt(std::initializer_list<std::wstring_view> cursorFiles);

// Takes a copy of the arrow as it is now into SavedArrowCursor, destroying the copy it
// replaces. Made afresh from where the arrow came from (a system cursor, a file) when that
// shows the same picture: such a cursor keeps its source, which the system draws at the
// person's pointer size, where a copy of its picture alone stays at the nominal size.
void TakeArrowCopy();

// Replaces the system arrow with the cursor file at the executable's folder, "\" and
// the name. Just before, an arrow Kavolt swapped is put back and the arrow as the user
// has it then is copied, so that the copy is never of Kavolt's own cursor; when that
// arrow is the file the user's cursor scheme names for it, that file is loaded too. A
// missing, hidden, system or unloadable file changes nothing, and no swap is made that
// could not be put back.
void SwapArrowCursor(std::wstring_view relativeName);

// Puts the user's arrow back, but only while Kavolt's swap is in place: the user may
// have changed the pointer since the copy was taken. The scheme's file loaded at the
// swap goes back (an animated arrow keeps its frames); otherwise, or when it did not
// load, the saved copy does. A copy the system refuses stays saved, and the swap
// recorded, so that the next put-back tries again.
void RestoreArrowCursor();

// For the program's end and a crash: puts the saved copy back only if Kavolt swapped
// the arrow, without allocating, locking or destroying anything.
void RestoreArrowCursorIfSwapped() noexcept;

}  // namespace kavolt

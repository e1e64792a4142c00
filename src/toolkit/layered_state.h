// What Kavolt changed of another window's layered state, kept on that window itself
// (window properties), so that the memory dies with the window and a release can
// give the window back exactly what its own program had set.
#pragma once

#include <windows.h>

namespace kavolt {

// A window that draws itself with UpdateLayeredWindow is layered but has no layered
// attributes; once any are set, its own drawing fails until its program restarts.
// Such a window never gets a constant alpha from Kavolt.
bool DrawsItsOwnLayers(HWND window);

// Call before Kavolt makes the window layered or changes its alpha; only the first
// call after a restore records anything.
void RememberLayeredState(HWND window);

// Undoes Kavolt's changes: clears WS_EX_LAYERED where Kavolt added it, or puts the
// window's own layered attributes back. Leaves alone what Kavolt never touched.
void RestoreLayeredState(HWND window);

}  // namespace kavolt

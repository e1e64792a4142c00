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

// Gives the window a constant alpha over its own look: a colour key that its program
// set stays, with LWA_ALPHA added to that program's flags. 255, the opaque end, is the
// window's own look: what its program set, or opaque where Kavolt made it layered. A
// window whose program set its own alpha gets both, multiplied as shares of 255.
void SetAlphaOverOwnLook(HWND window, BYTE alpha);

// Undoes Kavolt's changes: clears WS_EX_LAYERED where Kavolt added it, or puts the
// window's own layered attributes back. Leaves alone what Kavolt never touched.
void RestoreLayeredState(HWND window);

}  // namespace kavolt

// What Kavolt changed of another window's layered state, kept on that window itself
// (window properties), so that the memory dies with the window and a release can
// give the window back exactly what its own program had set.
#pragma once

#include <windows.h>

namespace kavolt {

// Call before Kavolt makes the window layered or changes its alpha; only the first
// call after a restore records anything.
void RememberLayeredState(HWND window);

// Undoes Kavolt's changes: clears WS_EX_LAYERED where Kavolt added it, or puts the
// window's own layered attributes back. Leaves alone what Kavolt never touched.
void RestoreLayeredState(HWND window);

}  // namespace kavolt

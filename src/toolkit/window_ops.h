// Stateless operations on any window, Kavolt's own or another program's.
// Failures pass through quietly: a handle that names no window changes nothing.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kavolt {

// Moves the window into (HWND_TOPMOST) or out of (HWND_NOTOPMOST) the topmost band,
// keeping its place and size. Returns SetWindowPos's result: nonzero on success.
BOOL SetZOrder(HWND window, HWND insertAfter);

// Whether the window is in the topmost band now (WS_EX_TOPMOST). SetWindowPos can
// succeed and leave a window where it was, so a change is read back with this.
bool IsTopmost(HWND window);

// Adds WS_EX_LAYERED to the window's extended style, leaving every other bit.
void MakeLayered(HWND window);

// Constant opacity of a layered window (0 transparent, 255 opaque); no colour key.
void SetWindowAlpha(HWND window, BYTE alpha);

// Full class name and title; empty for a window that does not exist.
std::wstring WindowClassName(HWND window);
std::wstring WindowTitle(HWND window);

// Whether the window's title is this text. Reads the title's length and at most its
// first few thousand characters, never all of it: a title may be megabytes long.
bool WindowTitleIs(HWND window, std::wstring_view title);

// Whether the window's program handles messages: not hung, and answering within the
// timeout. Calls that send a window messages (SetWindowPos, SetWindowLongPtr) block for
// as long as its program does not pump them.
bool WindowResponds(HWND window, UINT timeoutMs);

// How long another program's window may take to answer before Kavolt leaves it as it is
// instead of freezing.
inline constexpr UINT kResponseTimeoutMs = 1000;

// Climbs through parents and owners of pop-ups (GetParent) to the first window
// without one. Returns 0 for 0.
HWND TopLevelAncestor(HWND window);

}  // namespace kavolt

// The main window of the benchmark's reference programs: what Kavolt's main window is made
// of (its controls, fonts, tooltips and icon), built with plain Win32 calls at 96 dpi, the
// rig's, and nothing more.
#pragma once

#include <windows.h>

#include "stamp_log.h"

namespace reference {

constexpr int kOptionIds[] = {101, 102, 103};  // "設定", "解除", "---"

// Stamps when the benchmark asks for them (KAVOLT_STAMPS=1 in the environment).
void StampIfAsked(kavolt::StampPoint point);

// The main window, hidden, with its controls, owned by a hidden window as Kavolt's is (no
// taskbar button), centred on the screen or at the given place. A frame hands its
// controls' notifications to the window. The panel of the slider shows, as Kavolt's does
// until its watch loop finds nothing pinned, or is hidden from the start.
HWND CreateMainWindow(const wchar_t* className, WNDPROC procedure, const POINT* place = nullptr,
                      bool panelShown = true);

// The options' tooltips; after the window is topmost, as Kavolt makes them (Wine ignores
// HWND_TOPMOST for a window that already owns a topmost tooltip window).
void AddTooltips(HWND window);

HWND Option(int index);

}  // namespace reference

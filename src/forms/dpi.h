// The DPI services that Windows 10 version 1607 brought, with what Windows 8 and 8.1
// offer in their place. kavolt.exe imports none of them, so that it starts there too.
#pragma once

#include <windows.h>

namespace kavolt {

// The window's DPI; the system's where windows have no DPI of their own.
unsigned DpiForWindow(HWND window);

// The system's DPI: that of a new window on the primary monitor.
unsigned SystemDpi();

// AdjustWindowRectEx for a window at that DPI (at the system's where there is no other).
bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, unsigned dpi);

// The font of message boxes at that DPI.
bool MessageFontForDpi(unsigned dpi, LOGFONTW& font);

// What the three do without the newer services, for the tests to hold against them.
namespace without_dpi_services {
unsigned DpiForWindow(HWND window);
bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, unsigned dpi);
bool MessageFontForDpi(unsigned dpi, LOGFONTW& font);
}  // namespace without_dpi_services

}  // namespace kavolt

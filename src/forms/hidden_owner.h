// The hidden window that owns Kavolt's captioned forms, so that they have no taskbar
// button. A close that another program sends it closes the forms it owns instead.
#pragma once

#include <windows.h>

namespace kavolt {

HWND HiddenOwnerWindow();

}  // namespace kavolt

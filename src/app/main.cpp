#include <windows.h>

#include "app/kavolt_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything can load a DLL: never from Kavolt's own folder (Downloads, often)
  // or the current one.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  kavolt::RunKavolt();
}

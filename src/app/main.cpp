#include <windows.h>

#include "app/kavolt_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return kavolt::RunKavolt(); }

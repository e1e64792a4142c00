// The program's version numbers, read by the C++ code, the resource script and CMake.
// Plain macros, because the resource compiler understands nothing else.
#pragma once

#define KAVOLT_VERSION_MAJOR 1
#define KAVOLT_VERSION_MINOR 3
#define KAVOLT_VERSION_REVISION 1

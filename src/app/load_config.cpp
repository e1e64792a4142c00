// The PE load configuration of kavolt.exe as MinGW builds it (MSVC's runtime brings its
// own, and its linker sets the flag). People run Kavolt from Downloads, where a planted
// DLL would lie beside it: the DLLs the program imports come from System32 only.
// GNU ld keeps this table but does not point the PE header at it; the build's post-link
// step (scripts/pe_load_config.py) does.
#include <windows.h>

// Constant-initialised, so the loader finds it filled in the file itself.
extern "C" constinit const IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used{
    .Size = sizeof(IMAGE_LOAD_CONFIG_DIRECTORY64),
    .Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32,  // DependentLoadFlags, by MinGW's older name
};

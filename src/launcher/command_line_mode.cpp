#include "launcher/command_line_mode.h"

#include <windows.h>

namespace kavolt {

void RunCommandLineMode(std::wstring_view) { ::ExitProcess(0); }

}  // namespace kavolt

// Command-line mode: started with arguments, Kavolt launches every item and ends
// without ever showing a window of its own.
#pragma once

#include <string_view>

namespace kavolt {

[[noreturn]] void RunCommandLineMode(std::wstring_view argumentText);

}  // namespace kavolt

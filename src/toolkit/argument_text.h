// The argument text: the command line after the program's own name.
#pragma once

#include <string>
#include <string_view>

namespace kavolt {

// Skips the program name the way CreateProcess reads it (quoted, or up to the first
// blank) and the blanks after it; the rest is kept as it stands.
std::wstring ArgumentText(std::wstring_view commandLine);

}  // namespace kavolt

// The folder of the running executable: where the cursor files lie, the base of
// relative command-line items and the current folder of the programs they start.
#pragma once

#include <string>

namespace kavolt {

// As the platform reports it, without a trailing separator except at a drive root
// ("C:\\"); empty when the platform cannot tell.
std::wstring ExecutableFolder();

}  // namespace kavolt

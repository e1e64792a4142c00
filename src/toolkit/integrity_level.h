// The integrity level a process runs at, which decides whose windows it may reach.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace kavolt {

// The number of the process's mandatory label (SECURITY_MANDATORY_MEDIUM_RID and the
// like). A UIAccess program runs at a level of its own between the named ones, so levels
// compare as numbers. std::nullopt when it cannot be read: another account's process
// opens only with a privilege Kavolt lacks.
std::optional<std::uint32_t> IntegrityLevelOf(DWORD processId);

}  // namespace kavolt

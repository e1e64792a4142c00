// A system arrow swapped by Kavolt must not outlive Kavolt: on a crash the arrow is
// put back before the process dies.
#pragma once

namespace kavolt {

void InstallCrashGuard();

}  // namespace kavolt

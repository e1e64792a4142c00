// The test for another running instance: a named mutex that every instance on the
// user's desktop creates, and the first one holds for the rest of its life.
#pragma once

#include <windows.h>

#include "toolkit/handle.h"

namespace kavolt {

// True when another instance holds the mutex. An instance this one may not open (one
// started elevated, say) holds it just as well. Otherwise the mutex is this instance's
// from now on, kept in claim.
bool AnotherInstanceRuns(const wchar_t* mutexName, UniqueHandle& claim);

}  // namespace kavolt

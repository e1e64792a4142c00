// Kavolt with the benchmark's stamps (src/toolkit/stamps.h) compiled in, in a folder of
// its own with the cursor files beside it. scripts/bench.sh runs it to show where the time
// of a start and of a pick goes; never shipped.
#include <windows.h>

#include "app/kavolt_app.h"
#include "stamp_log.h"

namespace kavolt {

void Stamp(StampPoint point) noexcept { stamp_log::Write(point); }

}  // namespace kavolt

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  kavolt::Stamp(kavolt::StampPoint::kEntry);
  // As kavolt.exe's entry point does.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  kavolt::RunKavolt();
}

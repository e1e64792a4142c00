#include "toolkit/program_end.h"

#include <windows.h>

#include "toolkit/cursor_swap.h"

namespace kavolt {

void EndProgram(unsigned exitCode) {
  RestoreArrowCursorIfSwapped();
  ::ExitProcess(exitCode);
}

}  // namespace kavolt

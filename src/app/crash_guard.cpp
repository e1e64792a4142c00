#include "app/crash_guard.h"

#include <windows.h>

#include <cstdlib>
#include <exception>

#include "toolkit/cursor_swap.h"

namespace kavolt {
namespace {

LONG WINAPI RestoreArrowBeforeDying(EXCEPTION_POINTERS*) {
  RestoreArrowCursorIfSwapped();
  return EXCEPTION_CONTINUE_SEARCH;  // the system still reports the crash as usual
}

[[noreturn]] void RestoreArrowOnTerminate() {
  RestoreArrowCursorIfSwapped();
  std::abort();
}

}  // namespace

void InstallCrashGuard() {
  ::SetUnhandledExceptionFilter(RestoreArrowBeforeDying);
  std::set_terminate(RestoreArrowOnTerminate);
}

}  // namespace kavolt

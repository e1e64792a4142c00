// Test-only build of Kavolt that crashes on request: the whole program, plus a thread
// that raises an exception nobody handles once the named event "Kavolt.Test.Crash" is
// set (inspector signal Kavolt.Test.Crash). Never shipped.
#include <windows.h>

#include "app/kavolt_app.h"
#include "toolkit/handle.h"

namespace {

DWORD WINAPI CrashWhenSignalled(void*) {
  const kavolt::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, L"Kavolt.Test.Crash"));
  ::WaitForSingleObject(event.get(), INFINITE);
  ::RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const kavolt::UniqueHandle thread(
      ::CreateThread(nullptr, 0, CrashWhenSignalled, nullptr, 0, nullptr));
  return kavolt::RunKavolt();
}

// Test-only build of Kavolt that crashes on request: the whole program, plus a thread
// that raises an exception nobody handles once the named event "Kavolt.Test.Crash" is
// set (inspector signal Kavolt.Test.Crash), with the C runtime's heap locked by another
// thread. Never shipped.
#include <windows.h>

#include <malloc.h>

#include "app/kavolt_app.h"
#include "toolkit/handle.h"

namespace {

// Holds the C runtime's heap locked for ever, as a thread that crashed inside malloc
// would: a crash guard that allocates would wait for it and never end the process.
DWORD WINAPI HoldTheHeap(void* locked) {
  ::HeapLock(reinterpret_cast<HANDLE>(_get_heap_handle()));
  ::SetEvent(locked);
  ::Sleep(INFINITE);
  return 0;
}

DWORD WINAPI CrashWhenSignalled(void*) {
  const kavolt::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, L"Kavolt.Test.Crash"));
  ::WaitForSingleObject(event.get(), INFINITE);
  const kavolt::UniqueHandle locked(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const kavolt::UniqueHandle holder(
      ::CreateThread(nullptr, 0, HoldTheHeap, locked.get(), 0, nullptr));
  ::WaitForSingleObject(locked.get(), INFINITE);
  ::RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const kavolt::UniqueHandle thread(
      ::CreateThread(nullptr, 0, CrashWhenSignalled, nullptr, 0, nullptr));
  kavolt::RunKavolt();
}

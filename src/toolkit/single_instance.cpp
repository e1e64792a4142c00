#include "toolkit/single_instance.h"

namespace kavolt {

bool AnotherInstanceRuns(const wchar_t* mutexName, UniqueHandle& claim) {
  ::SetLastError(ERROR_SUCCESS);
  claim.reset(::CreateMutexW(nullptr, FALSE, mutexName));
  const DWORD error = ::GetLastError();
  return error == ERROR_ALREADY_EXISTS || (!claim && error == ERROR_ACCESS_DENIED);
}

}  // namespace kavolt

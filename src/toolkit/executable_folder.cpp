#include "toolkit/executable_folder.h"

#include <windows.h>

namespace kavolt {

std::wstring ExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return {};
  // A drive root keeps its separator: "C:\".
  return path.substr(0, separator == 2 && path[1] == L':' ? separator + 1 : separator);
}

}  // namespace kavolt

#include "launcher/shell_open.h"

#include <objbase.h>

namespace kavolt {
namespace {

ShellExecuteExCall shellExecuteEx = ::ShellExecuteExW;

}  // namespace

void UseShellExecuteEx(ShellExecuteExCall call) { shellExecuteEx = call; }

bool OpenWithShell(const std::wstring& progId, const std::wstring& verb,
                   const std::wstring& document, const std::wstring& folder,
                   UniqueHandle& process) {
  // Shell handlers may be COM objects, which ShellExecuteEx expects to find initialised;
  // once for the thread, for the rest of the run.
  static const HRESULT com =
      ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  (void)com;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // The class given, not one the shell would choose itself; Kavolt ends right after, so
  // the call returns only once the shell is done with it.
  info.fMask = SEE_MASK_CLASSNAME | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI |
               SEE_MASK_NOASYNC;
  info.lpClass = progId.c_str();
  info.lpVerb = verb.empty() ? nullptr : verb.c_str();
  info.lpFile = document.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!shellExecuteEx(&info)) return false;
  process.reset(info.hProcess);
  return true;
}

}  // namespace kavolt

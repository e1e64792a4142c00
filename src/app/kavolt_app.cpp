#include "app/kavolt_app.h"

#include <windows.h>

#include <commctrl.h>

#include "app/crash_guard.h"
#include "main/frm_front.h"
#include "toolkit/message_pump.h"

namespace kavolt {

int RunKavolt() {
  InstallCrashGuard();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);

  // Lives until the process ends: the program ends from inside its handlers.
  static FrmFront frmFront;
  // Creating it runs the start-up, which may end the program. Without a main window
  // there is nothing to wait for, and nothing to close it by.
  if (frmFront.Handle() == nullptr) return 1;
  frmFront.Show();
  const int exitCode = RunMessageLoop();
  frmFront.CloseOnQuitRequest();  // ends the process
  return exitCode;
}

}  // namespace kavolt

#include "app/kavolt_app.h"

#include <windows.h>

#include <commctrl.h>

#include "app/crash_guard.h"
#include "forms/message_pump.h"
#include "main/frm_front.h"
#include "toolkit/program_end.h"
#include "toolkit/stamps.h"

namespace kavolt {

void RunKavolt() {
  InstallCrashGuard();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  KAVOLT_STAMP(kCommonControls);

  // Lives until the process ends: the program ends from inside its handlers.
  static FrmFront frmFront;
  // Creating it runs the start-up, which may end the program. Without a main window
  // there is nothing to wait for, and nothing to close it by.
  if (frmFront.Handle() == nullptr) EndProgram(1);
  frmFront.Show();
  frmFront.AfterFirstShow();
  RunMessageLoop();
  // A WM_QUIT ends Kavolt as its close box does.
  frmFront.CloseOnQuitRequest();
  EndProgram();
}

}  // namespace kavolt

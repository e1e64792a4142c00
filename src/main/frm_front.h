// The main window: start-up, the pick modes, the watch loop that picks a window and
// changes its place in the Z-order, the translucency slider and shutdown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "dialogs/frm_guide.h"
#include "dialogs/frm_msgbox.h"
#include "forms/controls.h"
#include "forms/form.h"
#include "main/pick_rules.h"
#include "toolkit/handle.h"

namespace kavolt {

// The window last made topmost by a pick.
struct PinnedWindowRecord {
  std::wstring Title;
  std::wstring ClassName;
  HWND Handle = nullptr;
};

class FrmFront : public Form {
 public:
  static constexpr wchar_t kClassName[] = L"KavoltMainWindow";

  FrmFront();

  // The rest of the start once the main window shows: an arrow left by a killed run is
  // put back and the arrow is copied.
  void AfterFirstShow();

  // Ends the program as the close box does; for a WM_QUIT that reaches the outer loop.
  void CloseOnQuitRequest();

 private:
  void OnLoad() override;
  bool OnQueryClose() override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Event handlers.
  void Timer1Tick();
  void ChkStartChange();
  void OptClick(int index);
  void HScroll1Change();
  void QueryUnload();
  [[noreturn]] void Unload();

  // Start-up.
  [[noreturn]] void RefuseSecondInstance();

  // Pick modes.
  void ArmPickMode(const wchar_t* cursorFile, const wchar_t* hint);

  // The watch loop and its pick.
  void WatchLoop();
  bool PinnedWindowExists() const;
  // While a mode is armed: the window under the cursor that came to the foreground runs
  // where Kavolt cannot reach it, and the press that activated it was hidden from Kavolt.
  void NoticePickOutOfReach(POINT cursor, std::optional<std::uint32_t> ownLevel,
                            HWND& foregroundSeen);
  NeverPicked NeverPickedWindows();
  void HandlePick(HWND target, const std::wstring& title, const std::wstring& className);
  PickMode SelectedMode();
  std::optional<short> Ask(PickMode mode, const std::wstring& title);
  bool Apply(PickMode mode, HWND target);
  void ReportFailure(PickMode mode, const std::wstring& title);

  // Controls, in tab order.
  Label lblMsg;
  CheckBox chkStart;
  Frame fr最前面;
  OptionGroup Opt;
  Frame Fr1;
  HScrollBar HScroll1;
  CheckBox chkTran;
  Timer Timer1;

  FrmMsgBox frmMsgBox;
  FrmGuide frmGuide;

  PinnedWindowRecord PinnedWindow;
  OSVERSIONINFOW OsVersion{};
  std::wstring RunFlag;
  UniqueHandle instanceMutex_;
};

}  // namespace kavolt

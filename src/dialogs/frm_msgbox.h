// The yes/no question by the cursor: light green, captionless, "Ok" and "Cancel".
// It keeps itself at the front of the topmost band while open and can be dragged by
// its text.
#pragma once

#include <windows.h>

#include <optional>

#include "forms/controls.h"
#include "forms/form.h"
#include "toolkit/raw_presses.h"

namespace kavolt {

class FrmMsgBox : public Form {
 public:
  static constexpr wchar_t kClassName[] = L"KavoltQuestionWindow";

  FrmMsgBox();

  // Controls, in tab order: the buttons are drawn over the label's lower part.
  CommandButtons cmdClose;
  Label lblMsg;
  Timer Timer1;

  // The button that closed this question: 0 "Ok", 1 "Cancel"; none when it was
  // closed another way (Alt+F4, Esc, the system).
  std::optional<short> MsgAnswer;

 private:
  void OnLoad() override;
  std::optional<POINT> PlaceAtCreation(SIZE outer, unsigned dpi) override;
  // Where a window of that outer size in pixels opens by the cursor.
  static POINT ByTheCursor(SIZE outer, unsigned dpi);
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Timer1Tick();
  void CmdCloseClick(int index);
  void LblMsgMouseMove(WPARAM buttons);

  // When the question was made, just before it shows, and the person's presses since.
  ULONGLONG loadedAt_ = 0;
  std::optional<RawPresses> presses_;
};

}  // namespace kavolt

// The question window's answers and its timer, on real windows.
#include "dialogs/frm_msgbox.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "test_windows.h"

namespace kavolt {
namespace {

bool IsTopmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Asks a question and closes it with the given message, posted before the modal wait.
std::optional<short> AskAndClose(FrmMsgBox& box, void (*close)(FrmMsgBox&)) {
  box.lblMsg.SetText(L"Target\r\nを最前面に設定。　OK？");
  close(box);
  box.ShowModal();
  EXPECT_FALSE(box.Exists());
  EXPECT_FALSE(box.Timer1.Enabled());
  return box.MsgAnswer;
}

void ClickOk(FrmMsgBox& box) { PostMessageW(box.cmdClose[0].Handle(), BM_CLICK, 0, 0); }
void ClickCancel(FrmMsgBox& box) { PostMessageW(box.cmdClose[1].Handle(), BM_CLICK, 0, 0); }
void CloseBySystem(FrmMsgBox& box) { PostMessageW(box.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }
void PressEscape(FrmMsgBox& box) {
  PostMessageW(box.cmdClose[0].Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST(FrmMsgBox, TheButtonThatClosedTheQuestionIsTheAnswer) {
  FrmMsgBox box;
  EXPECT_EQ(AskAndClose(box, ClickOk), std::optional<short>(0));
  EXPECT_EQ(AskAndClose(box, ClickCancel), std::optional<short>(1));
}

TEST(FrmMsgBox, AQuestionClosedWithoutAButtonHasNoAnswer) {
  FrmMsgBox box;
  // An earlier answer must not carry over to the next question.
  EXPECT_EQ(AskAndClose(box, ClickOk), std::optional<short>(0));
  EXPECT_EQ(AskAndClose(box, CloseBySystem), std::nullopt);
  EXPECT_EQ(AskAndClose(box, ClickOk), std::optional<short>(0));
  EXPECT_EQ(AskAndClose(box, PressEscape), std::nullopt);
}

TEST(FrmMsgBox, KeepsItselfTopmostWhileItExists) {
  FrmMsgBox box;
  box.lblMsg.SetText(L"question");
  HWND window = box.Handle();
  EXPECT_TRUE(IsTopmost(window)) << "topmost from its load";
  EXPECT_TRUE(box.Timer1.Enabled());
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_FALSE(IsTopmost(window));
  EXPECT_TRUE(PumpUntil([&] { return IsTopmost(window); }));
  box.Close();
}

}  // namespace
}  // namespace kavolt

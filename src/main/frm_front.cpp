#include "main/frm_front.h"

#include "launcher/command_line_mode.h"
#include "texts/resource.h"
#include "texts/texts.h"
#include "texts/version.h"
#include "toolkit/argument_text.h"
#include "toolkit/cursor_swap.h"
#include "toolkit/layered_state.h"
#include "toolkit/program_end.h"
#include "toolkit/single_instance.h"
#include "toolkit/stamps.h"
#include "toolkit/window_ops.h"

namespace kavolt {
namespace {

// Per user session: every instance on the same desktop sees the same mutex.
constexpr wchar_t kInstanceMutexName[] = L"Local\\Kavolt.SingleInstance.7d3f5a2e";

const FontSpec kGothic9{text::kFontGothic, 900, SHIFTJIS_CHARSET};
const FontSpec kGothic975{text::kFontGothic, 975, SHIFTJIS_CHARSET};

FormSpec FrontSpec() {
  return FormSpec{.className = FrmFront::kClassName,
                  .caption = text::kLayoutCaption,
                  .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                  .exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
                  .clientWidthTwips = 2655,
                  .clientHeightTwips = 1140,
                  .ownedByHiddenWindow = true,
                  .centred = true,
                  .iconResource = IDI_KAVOLT};
}

}  // namespace

FrmFront::FrmFront()
    : Form(FrontSpec()),
      lblMsg(*this, nullptr, {0, 1560, 1695, 315}, Label::Align::kCenter, kGothic975,
             {.textSys = COLOR_WINDOWTEXT, .backSys = COLOR_WINDOW}, /*visible=*/false),
      chkStart(*this, nullptr, {540, 1920, 855, 195}, text::kChkStart, /*visible=*/false),
      fr最前面(*this, nullptr, {60, 0, 2535, 1065}),
      Opt(*this, &fr最前面,
          {{text::kOptSet, {120, 300, 675, 195}, text::kTipSet},
           {text::kOptRelease, {840, 300, 675, 195}, text::kTipRelease},
           {text::kOptIdle, {1620, 300, 795, 195}, text::kTipIdle}},
          kGothic9, /*selectedByDesign=*/2),
      Fr1(*this, &fr最前面, {90, 480, 2385, 465}),
      HScroll1(*this, &Fr1, {1050, 180, 1245, 195}, 0, 255),
      chkTran(*this, &Fr1, {90, 180, 705, 195}, text::kChkTran),
      Timer1(*this, 100, /*enabledByDesign=*/false, [this] { Timer1Tick(); }) {
  chkStart.onChange = [this] { ChkStartChange(); };
  Opt.onClick = [this](int index) { OptClick(index); };
  HScroll1.onChange = [this] { HScroll1Change(); };
}

// ---- Start-up -------------------------------------------------------------------

void FrmFront::OnLoad() {
  if (AnotherInstanceRuns(kInstanceMutexName, instanceMutex_)) RefuseSecondInstance();
  KAVOLT_STAMP(kSingleInstance);

  OsVersion.dwOSVersionInfoSize = sizeof(OsVersion);
#ifdef _MSC_VER
#pragma warning(push)
#pragma warning(disable : 4996)  // deprecated; only the platform id is read, NT on every Windows
#endif
  ::GetVersionExW(&OsVersion);
#ifdef _MSC_VER
#pragma warning(pop)
#endif
  KAVOLT_STAMP(kVersionRead);

  SetCaption(MainCaption(ProgramVersion()));
  KAVOLT_STAMP(kCaptionSet);

  const std::wstring arguments = ArgumentText(::GetCommandLineW());
  if (!arguments.empty()) RunCommandLineMode(arguments);
  KAVOLT_STAMP(kArgumentsRead);

  SetZOrder(Handle(), HWND_TOPMOST);
  KAVOLT_STAMP(kTopmost);
  Timer1.SetEnabled(true);
  KAVOLT_STAMP(kTimerEnabled);
}

void FrmFront::AfterFirstShow() {
  // Drawn first: the look at the arrow's picture takes a few milliseconds, and nothing of
  // it shows. Still before the first message is handled, and so before any swap.
  ::RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  KAVOLT_STAMP(kDrawn);
  PutBackArrowLeftByKavolt({text::kCursorSetFile, text::kCursorReleaseFile});
  KAVOLT_STAMP(kArrowRepaired);
  TakeArrowCopy();
  KAVOLT_STAMP(kArrowCopied);
}

void FrmFront::RefuseSecondInstance() {
  // Reads the caption as laid out: the version is not in it yet.
  const std::wstring message = text::kAlreadyRunningHead + Caption() + text::kAlreadyRunningTail;
  // Topmost, or it would open behind the running instance's topmost window.
  ::MessageBoxW(nullptr, message.c_str(), text::kAlreadyRunningTitle,
                MB_OK | MB_TOPMOST | MB_SETFOREGROUND);
  EndProgram();
}

void FrmFront::Timer1Tick() {
  // Ticking chkStart enters the watch loop inside this tick; the timer is disabled
  // only when the loop has returned (or by a later tick that finds chkStart ticked).
  chkStart.SetValue(true);
  Timer1.SetEnabled(false);
}

void FrmFront::ChkStartChange() {
  RunFlag = L"Go";
  WatchLoop();
}

// ---- Pick modes -----------------------------------------------------------------

void FrmFront::OptClick(int index) {
  switch (index) {
    case 0:
      ArmPickMode(text::kCursorSetFile, text::kGuideSet);
      break;
    case 1:
      ArmPickMode(text::kCursorReleaseFile, text::kGuideRelease);
      break;
    case 2:
      RestoreArrowCursor();
      frmGuide.Close();
      Opt[2].SetText(text::kOptIdle);
      break;
    default:
      break;
  }
}

void FrmFront::ArmPickMode(const wchar_t* cursorFile, const wchar_t* hint) {
  SwapArrowCursor(cursorFile);
  frmGuide.Show();
  frmGuide.lblMsg.SetText(hint);
  lblMsg.SetText(L"");
  Opt[2].SetText(text::kOptCancel);
}

// ---- Transparency ---------------------------------------------------------------

void FrmFront::HScroll1Change() {
  HWND pinned = PinnedWindow.Handle;
  if (pinned != nullptr) {
    // Making a window layered sends it messages: a hung pinned window would freeze Kavolt.
    if (!WindowResponds(pinned, kResponseTimeoutMs)) return;
    // A window that draws its own layers refuses a constant alpha: it stays as it is.
    if (DrawsItsOwnLayers(pinned)) return;
  }
  RememberLayeredState(pinned);
  MakeLayered(pinned);
  SetAlphaOverOwnLook(pinned, static_cast<BYTE>(255 - HScroll1.Value()));
}

// ---- Shutdown -------------------------------------------------------------------

bool FrmFront::OnQueryClose() {
  QueryUnload();
  return true;  // the close always goes ahead, and the window's end is the program's
}

void FrmFront::QueryUnload() {
  RunFlag.clear();
  lblMsg.SetText(L"");
  RestoreArrowCursor();
}

// Ends at once, from inside the watch loop's dispatch: the loop never resumes.
void FrmFront::Unload() { EndProgram(); }

std::optional<LRESULT> FrmFront::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  // The session ending closes Kavolt the same way as the close box.
  if (message == WM_ENDSESSION && wParam != FALSE) {
    QueryUnload();
    Unload();
  }
  // However the window goes, Kavolt never lives on without it, invisible, holding the
  // instance mutex; the end puts back an arrow that is still swapped.
  if (message == WM_DESTROY) Unload();
  return std::nullopt;
}

void FrmFront::CloseOnQuitRequest() {
  // Whoever posts WM_QUIT asks the program to end: it ends as by the close box.
  if (Exists()) ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

}  // namespace kavolt

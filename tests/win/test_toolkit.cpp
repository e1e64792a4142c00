// The form and control layer: creation on first touch, closing, the change handlers
// and the modal show, on real windows.
#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/controls.h"
#include "forms/dpi.h"
#include "forms/font.h"
#include "forms/form.h"
#include "forms/message_pump.h"
#include "test_windows.h"
#include "toolkit/integrity_level.h"
#include "toolkit/single_instance.h"

namespace kavolt {
namespace {

class SampleForm : public Form {
 public:
  explicit SampleForm(bool ownedByHiddenWindow = false)
      : Form(FormSpec{.className = L"KavoltSampleForm",
                      .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                      .clientWidthTwips = 3000,
                      .clientHeightTwips = 1500,
                      .ownedByHiddenWindow = ownedByHiddenWindow}),
        label(*this, nullptr, {0, 0, 1500, 300}, Label::Align::kLeft, {}, {}),
        check(*this, nullptr, {0, 300, 1500, 300}, L"check"),
        frame(*this, nullptr, {60, 600, 2880, 840}),
        options(*this, &frame, {{L"a", {90, 90, 600, 300}, L"tip a"},
                                {L"b", {750, 90, 600, 300}, nullptr},
                                {L"c", {1410, 90, 600, 300}, nullptr}},
                {}, 2),
        scroll(*this, &frame, {90, 450, 1500, 255}, 0, 255),
        buttons(*this, nullptr, {{L"one", {1500, 0, 750, 300}}, {L"two", {2250, 0, 750, 300}}}),
        timer(*this, 20, false, [this] { ++ticks; }) {
    check.onChange = [this] { events.push_back(L"check " + std::to_wstring(check.Value())); };
    options.onClick = [this](int index) { events.push_back(L"option " + std::to_wstring(index)); };
    scroll.onChange = [this] { events.push_back(L"scroll " + std::to_wstring(scroll.Value())); };
    buttons.onClick = [this](int index) { events.push_back(L"button " + std::to_wstring(index)); };
  }

  Label label;
  CheckBox check;
  Frame frame;
  OptionGroup options;
  HScrollBar scroll;
  CommandButtons buttons;
  Timer timer;

  std::vector<std::wstring> events;
  int ticks = 0;
  int loads = 0;
  std::wstring labelAtLoad = L"(not loaded)";
  bool closeOnLoad = false;
  int queries = 0;

 private:
  void OnLoad() override {
    ++loads;
    labelAtLoad = label.Text();
    if (closeOnLoad) Close();
  }
  bool OnQueryClose() override {
    ++queries;
    return true;
  }
};

void Scroll(HScrollBar& bar, WORD code) {
  HWND window = bar.Handle();
  SendMessageW(GetAncestor(window, GA_ROOT), WM_HSCROLL, MAKEWPARAM(code, 0),
               reinterpret_cast<LPARAM>(window));
}

TEST(Form, IsCreatedOnFirstTouchAndLoadsBeforeAnythingElse) {
  SampleForm form;
  EXPECT_FALSE(form.Exists());
  form.label.SetText(L"hello");
  EXPECT_TRUE(form.Exists());
  EXPECT_EQ(form.loads, 1);
  EXPECT_EQ(form.labelAtLoad, L"") << "the load handler ran before the text was set";
  EXPECT_EQ(form.label.Text(), L"hello");
  EXPECT_EQ(Form::FromHandle(form.Handle()), &form);
}

TEST(Form, CloseDestroysAndTheNextTouchStartsFromTheDesign) {
  SampleForm form;
  form.check.SetValue(true);
  form.options.Select(0);
  form.scroll.SetValue(77);
  form.label.SetText(L"changed");
  HWND first = form.Handle();
  form.Close();
  EXPECT_FALSE(form.Exists());
  EXPECT_FALSE(IsWindow(first));

  form.events.clear();
  EXPECT_EQ(form.label.Text(), L"");
  EXPECT_EQ(form.loads, 2);
  EXPECT_FALSE(form.check.Value());
  EXPECT_TRUE(form.options.IsSelected(2));
  EXPECT_EQ(form.scroll.Value(), 0);
  EXPECT_TRUE(form.events.empty()) << "re-creation runs no change handlers";
}

TEST(Form, LaysOutInTwipsAtTheWindowsDpi) {
  SampleForm form;
  const unsigned dpi = form.Dpi();
  RECT client{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, MulDiv(3000, static_cast<int>(dpi), 1440));
  EXPECT_EQ(client.bottom, MulDiv(1500, static_cast<int>(dpi), 1440));
  RECT option{};
  GetWindowRect(form.options[1].Handle(), &option);
  MapWindowPoints(nullptr, form.frame.Handle(), reinterpret_cast<POINT*>(&option), 2);
  EXPECT_EQ(option.left, MulDiv(750, static_cast<int>(dpi), 1440));
  EXPECT_EQ(option.right - option.left, MulDiv(600, static_cast<int>(dpi), 1440));
}

TEST(CheckBox, ChangeByCodeRunsTheHandlerAtOnceOnlyWhenTheValueChanges) {
  SampleForm form;
  form.check.SetValue(true);
  form.check.SetValue(true);
  form.check.SetValue(false);
  SendMessageW(form.check.Handle(), BM_CLICK, 0, 0);  // the user's click
  EXPECT_EQ(form.events, (std::vector<std::wstring>{L"check 1", L"check 0", L"check 1"}));
}

TEST(OptionGroup, RunsOneHandlerWithTheIndexWhenTheSelectionChanges) {
  SampleForm form;
  EXPECT_TRUE(form.options.IsSelected(2));
  form.options.Select(2);  // already selected: nothing
  form.options.Select(0);
  SendMessageW(form.options[1].Handle(), BM_CLICK, 0, 0);
  SendMessageW(form.options[1].Handle(), BM_CLICK, 0, 0);  // clicking the selected one again
  form.options.Select(7);                                  // no such element
  EXPECT_EQ(form.events, (std::vector<std::wstring>{L"option 0", L"option 1"}));
  EXPECT_TRUE(form.options.IsSelected(1));
  EXPECT_EQ(SendMessageW(form.options[1].Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(form.options[0].Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(HScrollBar, ChangesAfterClicksKeysAndTheEndOfADragButNotDuringIt) {
  SampleForm form;
  Scroll(form.scroll, SB_LINERIGHT);
  Scroll(form.scroll, SB_PAGERIGHT);
  Scroll(form.scroll, SB_LINELEFT);
  Scroll(form.scroll, SB_LINELEFT);
  Scroll(form.scroll, SB_LINELEFT);  // already at 0: no change
  Scroll(form.scroll, SB_RIGHT);
  form.scroll.SetValue(300);  // clamped to the range: already 255
  form.scroll.SetValue(10);
  SCROLLINFO info{sizeof(info), SIF_POS};
  GetScrollInfo(form.scroll.Handle(), SB_CTL, &info);
  EXPECT_EQ(info.nPos, 10);
  Scroll(form.scroll, SB_THUMBTRACK);
  Scroll(form.scroll, SB_ENDSCROLL);
  EXPECT_EQ(form.events, (std::vector<std::wstring>{L"scroll 1", L"scroll 2", L"scroll 1",
                                                    L"scroll 0", L"scroll 255", L"scroll 10"}));
}

TEST(CommandButtons, OneHandlerReceivesTheIndex) {
  SampleForm form;
  SendMessageW(form.buttons[1].Handle(), BM_CLICK, 0, 0);
  SendMessageW(form.buttons[0].Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form.events, (std::vector<std::wstring>{L"button 1", L"button 0"}));
}

TEST(Timer, TicksThroughTheDispatchWhileEnabled) {
  SampleForm form;
  form.timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return form.ticks >= 2; }));
  form.timer.SetEnabled(false);
  const int ticks = form.ticks;
  PumpUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(form.ticks, ticks);
}

TEST(Form, ModalShowDisablesTheOtherWindowsUntilClosed) {
  SampleForm owner;
  owner.Show();
  SampleForm modal;
  modal.buttons.onClick = [&](int) { modal.Close(); };
  bool ownerEnabledDuring = true;
  // Posted clicks run inside the modal loop's dispatch: look around, then close.
  modal.check.onChange = [&] {
    ownerEnabledDuring = IsWindowEnabled(owner.Handle()) != FALSE;
    PostMessageW(modal.buttons[0].Handle(), BM_CLICK, 0, 0);
  };
  PostMessageW(modal.check.Handle(), BM_CLICK, 0, 0);
  modal.ShowModal();
  EXPECT_FALSE(modal.Exists());
  EXPECT_FALSE(ownerEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST(Form, ModalShowOfAFormThatCannotOpenReturnsAtOnce) {
  SampleForm owner;
  owner.Show();
  SampleForm modal;
  modal.closeOnLoad = true;
  EXPECT_FALSE(modal.ShowModal());  // before the fix: waited in GetMessage for ever
  EXPECT_FALSE(modal.Exists());
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST(Form, AQuitRequestClosesTheModalFormAndStaysForTheOuterLoop) {
  SampleForm owner;
  owner.Show();
  SampleForm modal;
  PostQuitMessage(3);
  EXPECT_TRUE(modal.ShowModal());
  EXPECT_FALSE(modal.Exists());
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 3u);
}

TEST(Form, AClosedOwnerClosesItsFormsThroughTheirQuery) {
  SampleForm owned(/*ownedByHiddenWindow=*/true);
  HWND owner = GetWindow(owned.Handle(), GW_OWNER);
  ASSERT_NE(owner, nullptr);
  SendMessageW(owner, WM_CLOSE, 0, 0);
  EXPECT_EQ(owned.queries, 1);
  EXPECT_FALSE(owned.Exists());
  EXPECT_TRUE(IsWindow(owner)) << "the owner stays for the next form";
}

// The rows of a label that hold dark ink, from a print of its client area.
std::vector<int> InkRows(HWND label) {
  RECT client{};
  GetClientRect(label, &client);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageW(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  std::vector<int> rows;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) {
      const COLORREF pixel = GetPixel(memory, x, y);
      if (GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 200) {
        rows.push_back(y);
        break;
      }
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return rows;
}

int LineHeight(HWND label) {
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return metrics.tmHeight;
}

TEST(Label, CutsALinePartlyBelowItsEdgeInsteadOfHidingIt) {
  SampleForm form;
  form.label.SetText(L"WWW\r\nWWW\r\nWWW\r\nWWW");
  form.Show();
  HWND label = form.label.Handle();
  RECT client{};
  GetClientRect(label, &client);
  const int line = LineHeight(label);
  ASSERT_GT(client.bottom % line, line / 4) << "the last visible line must be cut well inside";
  const std::vector<int> rows = InkRows(label);
  ASSERT_FALSE(rows.empty());
  EXPECT_GT(rows.back(), client.bottom / line * line) << "no ink in the cut line";
  EXPECT_LT(rows.front(), line) << "the first line is at the top";
}

// Windows 8 has none of the newer DPI services: what stands in for them must agree
// with them wherever both can answer.
TEST(Dpi, WithoutTheNewerServicesTheAnswersAgree) {
  SampleForm form;
  HWND window = form.Handle();
  const unsigned dpi = DpiForWindow(window);
  EXPECT_EQ(without_dpi_services::DpiForWindow(window), dpi);

  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT newer{0, 0, 200, 100};
  RECT older = newer;
  ASSERT_TRUE(AdjustWindowRectForDpi(newer, kStyle, WS_EX_DLGMODALFRAME, dpi));
  ASSERT_TRUE(without_dpi_services::AdjustWindowRectForDpi(older, kStyle, WS_EX_DLGMODALFRAME, dpi));
  EXPECT_TRUE(EqualRect(&newer, &older));

  for (const unsigned at : {dpi, dpi * 3 / 2}) {
    LOGFONTW newerFont{};
    LOGFONTW olderFont{};
    ASSERT_TRUE(MessageFontForDpi(at, newerFont));
    ASSERT_TRUE(without_dpi_services::MessageFontForDpi(at, olderFont));
    EXPECT_NEAR(olderFont.lfHeight, newerFont.lfHeight, 1) << at << " dpi";
    EXPECT_STREQ(olderFont.lfFaceName, newerFont.lfFaceName);
  }
}

TEST(Fonts, NamedFacesFallBackWhenAbsent) {
  EXPECT_FALSE(FontFaceInstalled(L"No Such Face Anywhere"));
  EXPECT_FALSE(FontFaceInstalled(nullptr));
  for (const wchar_t* face : {L"No Such Face Anywhere", L"Tahoma"}) {
    UniqueFont font = CreateLayoutFont({face, 975, DEFAULT_CHARSET}, 96);
    ASSERT_TRUE(font);
    LOGFONTW info{};
    GetObjectW(font.get(), sizeof(info), &info);
    EXPECT_EQ(info.lfHeight, -13) << "9.75 pt at 96 dpi";
    if (FontFaceInstalled(face)) {
      EXPECT_STREQ(info.lfFaceName, face);
    } else {
      EXPECT_TRUE(FontFaceInstalled(info.lfFaceName)) << "fell back to " << info.lfFaceName;
    }
  }
}

TEST(Form, IgnoresMessagesThatLeaveOutTheirData) {
  SampleForm form;
  const unsigned dpi = form.Dpi();
  // Another program may send these with no pointer where one belongs.
  for (const UINT message : {UINT{WM_DRAWITEM}, UINT{WM_MEASUREITEM}, UINT{WM_DPICHANGED}}) {
    SendMessageW(form.Handle(), message, 0, 0);
    SendMessageW(form.frame.Handle(), message, 0, 0);
  }
  EXPECT_EQ(form.Dpi(), dpi);
}

TEST(SingleInstance, EveryInstanceOnTheDesktopCounts) {
  constexpr wchar_t kName[] = L"Local\\KavoltTest.SingleInstance";
  UniqueHandle first;
  EXPECT_FALSE(AnotherInstanceRuns(kName, first));
  EXPECT_TRUE(first);
  UniqueHandle second;
  EXPECT_TRUE(AnotherInstanceRuns(kName, second));

  // One that this user may not open, as an elevated instance's is.
  constexpr wchar_t kDeniedName[] = L"Local\\KavoltTest.SingleInstance.Denied";
  PSECURITY_DESCRIPTOR denyAll = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"O:SYG:SYD:P", SDDL_REVISION_1, &denyAll, nullptr));
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), denyAll, FALSE};
  const UniqueHandle elevated(CreateMutexW(&attributes, FALSE, kDeniedName));
  LocalFree(denyAll);
  ASSERT_TRUE(elevated);
  ASSERT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, kDeniedName), nullptr) << "the mutex is not denied";
  UniqueHandle third;
  EXPECT_TRUE(AnotherInstanceRuns(kDeniedName, third));
}

TEST(IntegrityLevel, ReadFromTheTokenAndUnknownForAProcessThatCannotBeOpened) {
  const std::optional<std::uint32_t> own = IntegrityLevelOf(GetCurrentProcessId());
  ASSERT_TRUE(own.has_value());
  EXPECT_GE(*own, static_cast<std::uint32_t>(SECURITY_MANDATORY_LOW_RID));
  EXPECT_LE(*own, static_cast<std::uint32_t>(SECURITY_MANDATORY_SYSTEM_RID));
  EXPECT_EQ(IntegrityLevelOf(0xFFFFFFF0), std::nullopt) << "no such process";
}

}  // namespace
}  // namespace kavolt

// Window operations against real windows of the window system.
#include "toolkit/window_ops.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "test_windows.h"
#include "toolkit/handle.h"
#include "toolkit/layered_state.h"

namespace kavolt {
namespace {

bool IsTopmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
bool IsLayered(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

TEST(SetZOrder, MovesIntoAndOutOfTheTopmostBand) {
  TestWindow window(L"z-order target");
  ASSERT_FALSE(IsTopmost(window.get()));
  EXPECT_NE(SetZOrder(window.get(), HWND_TOPMOST), FALSE);
  EXPECT_TRUE(IsTopmost(window.get()));
  EXPECT_NE(SetZOrder(window.get(), HWND_NOTOPMOST), FALSE);
  EXPECT_FALSE(IsTopmost(window.get()));
}

TEST(SetZOrder, KeepsPlaceAndSizeAndWorksOnHiddenWindows) {
  TestWindow window(L"hidden target", /*visible=*/false);
  RECT before{};
  GetWindowRect(window.get(), &before);
  SetZOrder(window.get(), HWND_TOPMOST);
  EXPECT_TRUE(IsTopmost(window.get()));
  ShowWindow(window.get(), SW_SHOWNOACTIVATE);
  EXPECT_TRUE(IsTopmost(window.get())) << "topmost from its first appearance";
  RECT after{};
  GetWindowRect(window.get(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
}

TEST(SetZOrder, ReportsFailureForAWindowThatIsGone) {
  HWND gone = TestWindow(L"short-lived").get();
  EXPECT_EQ(SetZOrder(gone, HWND_TOPMOST), FALSE);
}

TEST(MakeLayered, TwiceLeavesTheStyleOfOnceAndKeepsOtherBits) {
  TestWindow once(L"layered once");
  TestWindow twice(L"layered twice");
  const LONG_PTR original = GetWindowLongPtrW(once.get(), GWL_EXSTYLE);
  MakeLayered(once.get());
  MakeLayered(twice.get());
  MakeLayered(twice.get());
  EXPECT_EQ(GetWindowLongPtrW(once.get(), GWL_EXSTYLE), original | WS_EX_LAYERED);
  EXPECT_EQ(GetWindowLongPtrW(twice.get(), GWL_EXSTYLE), GetWindowLongPtrW(once.get(), GWL_EXSTYLE));
}

TEST(SetWindowAlpha, NeedsTheLayeredStyle) {
  TestWindow window(L"alpha target");
  SetWindowAlpha(window.get(), 100);
  EXPECT_FALSE(IsLayered(window.get()));
  BYTE alpha = 0;
  EXPECT_FALSE(GetLayeredWindowAttributes(window.get(), nullptr, &alpha, nullptr));

  MakeLayered(window.get());
  for (BYTE wanted : {BYTE{0}, BYTE{127}, BYTE{255}}) {
    SetWindowAlpha(window.get(), wanted);
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window.get(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, wanted);
    EXPECT_EQ(flags, DWORD{LWA_ALPHA});
  }
}

TEST(WindowTexts, ComeBackWhole) {
  const std::wstring longTitle(300, L'題');
  const std::wstring titles[] = {L"最前面にしたいウィンドウ", longTitle, std::wstring(70000, L'x'),
                                 L"a\u3000b？c"};
  for (const std::wstring& title : titles) {
    TestWindow window(title.c_str());
    EXPECT_EQ(WindowTitle(window.get()), title) << "length " << title.size();
    EXPECT_EQ(WindowClassName(window.get()), TestWindow::kClassName);
    EXPECT_TRUE(WindowTitleIs(window.get(), title));
    EXPECT_FALSE(WindowTitleIs(window.get(), title + L"x"));
    EXPECT_FALSE(WindowTitleIs(window.get(), L"y" + title.substr(1)));
  }
}

TEST(WindowTexts, EmptyForNoWindow) {
  EXPECT_EQ(WindowTitle(nullptr), L"");
  EXPECT_EQ(WindowClassName(nullptr), L"");
  HWND gone = TestWindow(L"gone").get();
  EXPECT_EQ(WindowTitle(gone), L"");
  EXPECT_EQ(WindowClassName(gone), L"");
}

TEST(WindowResponds, OnlyWhileItsThreadPumpsMessages) {
  EXPECT_FALSE(WindowResponds(nullptr, 100));
  const UniqueHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HWND window = nullptr;
  // A thread that makes a window, then stops pumping messages until released.
  std::thread stuck([&] {
    TestWindow own(L"stops pumping");
    window = own.get();
    SetEvent(created.get());
    WaitForSingleObject(release.get(), INFINITE);
  });
  WaitForSingleObject(created.get(), INFINITE);
  EXPECT_FALSE(WindowResponds(window, 200));
  SetEvent(release.get());
  stuck.join();

  TestWindow pumping(L"pumping");
  EXPECT_TRUE(WindowResponds(pumping.get(), 200));
}

TEST(TopLevelAncestor, ClimbsParentsAndOwnersOfPopups) {
  TestWindow top(L"top");
  HWND button = top.AddChild(L"BUTTON");
  HWND inner = top.AddChild(L"STATIC", button);

  // An owned pop-up chain: top owns popup1 owns popup2, each with a button.
  TestWindow popup1(L"popup 1", true, WS_POPUP | WS_CAPTION, top.get());
  TestWindow popup2(L"popup 2", true, WS_POPUP | WS_CAPTION, popup1.get());
  HWND popupButton = popup2.AddChild(L"BUTTON");

  // An owned window without WS_POPUP: GetParent does not report its owner.
  TestWindow ownedOverlapped(L"owned overlapped", true, WS_OVERLAPPEDWINDOW, top.get());

  const struct {
    const char* what;
    HWND from;
    HWND expected;
  } cases[] = {
      {"no window", nullptr, nullptr},
      {"unowned top-level window", top.get(), top.get()},
      {"child control", button, top.get()},
      {"grandchild", inner, top.get()},
      {"button in an owned pop-up chain", popupButton, top.get()},
      {"owned pop-up", popup2.get(), top.get()},
      {"owned overlapped window", ownedOverlapped.get(), ownedOverlapped.get()},
  };
  for (const auto& c : cases) EXPECT_EQ(TopLevelAncestor(c.from), c.expected) << c.what;
}

TEST(LayeredState, ReleaseTakesBackOnlyWhatKavoltAdded) {
  TestWindow plain(L"plain");
  RememberLayeredState(plain.get());
  MakeLayered(plain.get());
  SetWindowAlpha(plain.get(), 40);
  RememberLayeredState(plain.get());  // a second pin of the same window records nothing new
  RestoreLayeredState(plain.get());
  EXPECT_FALSE(IsLayered(plain.get()));

  TestWindow own(L"layered by its program");
  MakeLayered(own.get());
  SetLayeredWindowAttributes(own.get(), RGB(1, 2, 3), 200, LWA_ALPHA | LWA_COLORKEY);
  RememberLayeredState(own.get());
  MakeLayered(own.get());
  SetWindowAlpha(own.get(), 10);
  RestoreLayeredState(own.get());
  EXPECT_TRUE(IsLayered(own.get()));
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(own.get(), &key, &alpha, &flags));
  EXPECT_EQ(key, RGB(1, 2, 3));
  EXPECT_EQ(alpha, 200);
  EXPECT_EQ(flags, DWORD{LWA_ALPHA | LWA_COLORKEY});

  TestWindow untouched(L"layered, never touched by Kavolt");
  MakeLayered(untouched.get());
  SetWindowAlpha(untouched.get(), 90);
  RestoreLayeredState(untouched.get());
  EXPECT_TRUE(IsLayered(untouched.get()));
  BYTE untouchedAlpha = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(untouched.get(), nullptr, &untouchedAlpha, nullptr));
  EXPECT_EQ(untouchedAlpha, 90);

  RememberLayeredState(nullptr);
  RestoreLayeredState(nullptr);
}

}  // namespace
}  // namespace kavolt

#include "dialogs/placement.h"

#include <gtest/gtest.h>

#include "dialogs/question_focus.h"

namespace kavolt {
namespace {

// The confirmation window at 96 dpi on a 1024 x 768 screen; its outer size in twips.
constexpr SizeTwips kScreen{1024 * 15.0, 768 * 15.0};
constexpr SizeTwips kWindow{205 * 15.0, 80 * 15.0};

struct MsgBoxCase {
  const char* name;
  int cursorX, cursorY;
  double tppX, tppY;
  double left, top;
};

TEST(MessageBoxPosition, FollowsTheThreeHorizontalAndTwoVerticalRules) {
  const double w = kWindow.width, h = kWindow.height;
  const MsgBoxCase cases[] = {
      {"centre", 500, 300, 15, 15, 500 * 15 - w / 2, 300 * 15},
      {"right edge", 1000, 300, 15, 15, 1000 * 15 - w, 300 * 15},
      {"beyond the right edge", 1500, 300, 15, 15, 1500 * 15 - w, 300 * 15},
      {"left edge", 50, 300, 15, 15, 0, 300 * 15},
      {"left of the primary screen", -400, 300, 15, 15, 0, 300 * 15},
      {"bottom edge", 500, 700, 15, 15, 500 * 15 - w / 2, 700 * 15 - h},
      {"exactly one window height above the bottom", 500, 688, 15, 15, 500 * 15 - w / 2, 688 * 15},
      {"one pixel lower", 500, 689, 15, 15, 500 * 15 - w / 2, 689 * 15 - h},
      {"bottom right corner", 1020, 760, 15, 15, 1020 * 15 - w, 760 * 15 - h},
      {"above the top is not clamped", 500, -50, 15, 15, 500 * 15 - w / 2, -50 * 15},
  };
  for (const auto& c : cases) {
    const PointTwips p = MessageBoxPosition(c.cursorX, c.cursorY, c.tppX, c.tppY, kWindow, kScreen);
    EXPECT_DOUBLE_EQ(p.x, c.left) << c.name;
    EXPECT_DOUBLE_EQ(p.y, c.top) << c.name;
  }
}

TEST(MessageBoxPosition, EdgeTestsUseTheCursorRoundedHalfToEven) {
  // 0.5 twips per pixel puts the cursor on half twips; the tests see them rounded
  // to the even neighbour, the positions use the exact products.
  const SizeTwips window{100, 100};
  const SizeTwips screen{1000, 1000};
  // X = 949.5 -> 950 for the test: 1000 - 50 < 950 is false, so centred.
  PointTwips p = MessageBoxPosition(1899, 0, 0.5, 0.5, window, screen);
  EXPECT_DOUBLE_EQ(p.x, 949.5 - 50);
  // X = 950.5 -> 950 (even): still not beyond, centred; a round-half-up would say right edge.
  p = MessageBoxPosition(1901, 0, 0.5, 0.5, window, screen);
  EXPECT_DOUBLE_EQ(p.x, 950.5 - 50);
  // X = 951.5 -> 952: beyond, right edge at the cursor.
  p = MessageBoxPosition(1903, 0, 0.5, 0.5, window, screen);
  EXPECT_DOUBLE_EQ(p.x, 951.5 - 100);
  // Left rule: X = 49.5 -> 50 (even): 50 > 50 is false, so centred, not at 0.
  p = MessageBoxPosition(99, 0, 0.5, 0.5, window, screen);
  EXPECT_DOUBLE_EQ(p.x, 49.5 - 50);
  // X = 48.5 -> 48: left edge.
  p = MessageBoxPosition(97, 0, 0.5, 0.5, window, screen);
  EXPECT_DOUBLE_EQ(p.x, 0);
  // Vertical: Y = 900.5 -> 900: 1000 - 100 < 900 is false, top at the cursor.
  p = MessageBoxPosition(1000, 1801, 0.5, 0.5, window, screen);
  EXPECT_DOUBLE_EQ(p.y, 900.5);
  // Y = 901.5 -> 902: above the cursor.
  p = MessageBoxPosition(1000, 1803, 0.5, 0.5, window, screen);
  EXPECT_DOUBLE_EQ(p.y, 901.5 - 100);
}

TEST(GuidePosition, CentredBelowTheCursorAndFreeToStickOut) {
  const double w = 113 * 15.0, h = 37 * 15.0;
  struct Case {
    int x, y;
  } cases[] = {{500, 300}, {0, 0}, {1023, 767}, {-300, 10}, {2000, 900}};
  for (const auto& c : cases) {
    const PointTwips p = GuidePosition(c.x, c.y, 15, 15, w, h);
    EXPECT_DOUBLE_EQ(p.x, c.x * 15 - w / 2);
    EXPECT_DOUBLE_EQ(p.y, c.y * 15 + h * 3 / 4);
    EXPECT_GT(p.y, c.y * 15.0) << "the hot spot must stay above the guide";
  }
}

TEST(ToPixelsNearest, RoundsHalfToEven) {
  EXPECT_EQ(ToPixelsNearest(150, 15), 10);
  EXPECT_EQ(ToPixelsNearest(157.5, 15), 10);   // 10.5 -> 10
  EXPECT_EQ(ToPixelsNearest(172.5, 15), 12);   // 11.5 -> 12
  EXPECT_EQ(ToPixelsNearest(-157.5, 15), -10);
  EXPECT_EQ(ToPixelsNearest(7.4 * 15, 15), 7);
}

TEST(QuestionFocus, TriesAgainOnlyEarlyAndBeforeAnyPress) {
  using namespace std::chrono_literals;
  const struct {
    const char* what;
    milliseconds sinceShown;
    bool inForeground;
    bool pressed;
    bool retakes;
  } cases[] = {
      {"refused at first", 100ms, false, false, true},
      {"the last try", 500ms, false, false, true},
      {"too late", 600ms, false, false, false},
      {"after the person's press", 200ms, false, true, false},
      {"in the foreground", 200ms, true, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RetakeForeground(c.sinceShown, c.inForeground, c.pressed), c.retakes) << c.what;
  }
}

}  // namespace
}  // namespace kavolt

// Where the confirmation and guide windows open, computed in twips from the cursor's
// pixel position the way the program has always done it. No windowing code here.
#pragma once

namespace kavolt {

struct PointTwips {
  double x = 0;
  double y = 0;
};

struct SizeTwips {
  double width = 0;
  double height = 0;
};

// The confirmation window by the cursor: centred on it horizontally, but its right
// edge at the cursor within half a window of the screen's right edge, and at the
// screen's left edge within half a window of that; top edge at the cursor, or the
// bottom edge there when less than a window height is left below. Never clamped at
// the top. The edge tests use the cursor in whole twips (halves to even).
PointTwips MessageBoxPosition(int cursorX, int cursorY, double twipsPerPixelX,
                              double twipsPerPixelY, SizeTwips window, SizeTwips screen);

// The guide: centred below the cursor, its top three quarters of its height down, so
// the hot spot is never on it. It may stick out past any edge of the screen.
PointTwips GuidePosition(int cursorX, int cursorY, double twipsPerPixelX, double twipsPerPixelY,
                         double width, double height);

// Twips to the nearest whole pixel, halves to even.
int ToPixelsNearest(double twips, double twipsPerPixel);

}  // namespace kavolt

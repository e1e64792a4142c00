#include "dialogs/placement.h"

#include <cmath>

namespace kavolt {
namespace {

// std::nearbyint under the default rounding mode: halves go to the even neighbour.
double RoundHalfEven(double value) { return std::nearbyint(value); }

}  // namespace

PointTwips MessageBoxPosition(int cursorX, int cursorY, double twipsPerPixelX,
                              double twipsPerPixelY, SizeTwips window, SizeTwips screen) {
  const double x = cursorX * twipsPerPixelX;
  const double y = cursorY * twipsPerPixelY;
  const double wholeX = RoundHalfEven(x);
  const double wholeY = RoundHalfEven(y);

  PointTwips position;
  if (screen.width - window.width / 2 < wholeX) {
    position.x = x - window.width;
  } else if (window.width / 2 > wholeX) {
    position.x = 0;
  } else {
    position.x = x - window.width / 2;
  }
  position.y = screen.height - window.height < wholeY ? y - window.height : y;
  return position;
}

PointTwips GuidePosition(int cursorX, int cursorY, double twipsPerPixelX, double twipsPerPixelY,
                         double width, double height) {
  return PointTwips{cursorX * twipsPerPixelX - width / 2, cursorY * twipsPerPixelY + height * 3 / 4};
}

int ToPixelsNearest(double twips, double twipsPerPixel) {
  return static_cast<int>(RoundHalfEven(twips / twipsPerPixel));
}

}  // namespace kavolt

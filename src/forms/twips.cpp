#include "forms/twips.h"

namespace kavolt {

int TwipsToPixels(int twips, unsigned dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  const long long half = kTwipsPerInch / 2;
  const long long rounded = scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : -((-scaled + half) / kTwipsPerInch);
  return static_cast<int>(rounded);
}

double TwipsPerPixel(unsigned dpi) {
  return dpi == 0 ? 15.0 : static_cast<double>(kTwipsPerInch) / dpi;
}

}  // namespace kavolt

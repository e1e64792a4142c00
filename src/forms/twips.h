// Layout units. The layouts are written in twips (1440 per inch); windows are laid out
// in pixels at their own DPI, so 15 twips make a pixel at 96 dpi and 10 at 144 dpi.
#pragma once

namespace kavolt {

inline constexpr int kTwipsPerInch = 1440;

// Nearest pixel for a twips length at the given DPI (halves away from zero).
int TwipsToPixels(int twips, unsigned dpi);

// The factor by which a pixel count becomes twips at the given DPI.
double TwipsPerPixel(unsigned dpi);

}  // namespace kavolt

#include "toolkit/cursor_image.h"

#include "toolkit/handle.h"

namespace kavolt {
namespace {

std::optional<std::vector<std::uint32_t>> Pixels(HBITMAP bitmap, SIZE size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
  HDC screen = ::GetDC(nullptr);
  const int lines = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.cy), pixels.data(),
                                &info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (lines != size.cy) return std::nullopt;
  return pixels;
}

}  // namespace

std::optional<CursorImage> ReadCursorImage(HCURSOR cursor) {
  ICONINFO info{};
  if (cursor == nullptr || !::GetIconInfo(cursor, &info)) return std::nullopt;
  const UniqueBitmap mask(info.hbmMask);
  const UniqueBitmap colour(info.hbmColor);
  BITMAP maskBitmap{};
  if (!mask || ::GetObjectW(mask.get(), sizeof(maskBitmap), &maskBitmap) == 0) return std::nullopt;

  CursorImage image;
  image.hotSpotX = info.xHotspot;
  image.hotSpotY = info.yHotspot;
  image.width = maskBitmap.bmWidth;
  // A monochrome cursor keeps its XOR half below the AND half, in the mask.
  image.height = colour ? maskBitmap.bmHeight : maskBitmap.bmHeight / 2;
  std::optional<std::vector<std::uint32_t>> maskPixels =
      Pixels(mask.get(), {maskBitmap.bmWidth, maskBitmap.bmHeight});
  if (!maskPixels) return std::nullopt;
  image.mask = std::move(*maskPixels);
  if (colour) {
    std::optional<std::vector<std::uint32_t>> colourPixels =
        Pixels(colour.get(), {image.width, image.height});
    if (!colourPixels) return std::nullopt;
    image.colour = std::move(*colourPixels);
  }
  return image;
}

}  // namespace kavolt

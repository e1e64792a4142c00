// What a cursor looks like, for telling one cursor from another by its picture alone:
// the system arrow's handle never changes, whatever image it shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace kavolt {

struct CursorImage {
  int width = 0;
  int height = 0;
  DWORD hotSpotX = 0;
  DWORD hotSpotY = 0;
  std::vector<std::uint32_t> mask;    // AND mask, 32 bits a pixel, top-down
  std::vector<std::uint32_t> colour;  // empty for a monochrome cursor

  bool operator==(const CursorImage&) const = default;
};

// std::nullopt when the handle is no cursor or icon.
std::optional<CursorImage> ReadCursorImage(HCURSOR cursor);

}  // namespace kavolt

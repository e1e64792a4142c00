// Named fonts of the layouts, made at a window's DPI, with a fallback when absent.
#pragma once

#include <windows.h>

#include "toolkit/handle.h"

namespace kavolt {

struct FontSpec {
  const wchar_t* face = nullptr;  // nullptr: the system's dialog font
  int centipoints = 0;            // 975 for 9.75 pt; 0: the dialog font's own size
  BYTE charset = DEFAULT_CHARSET;

  bool operator==(const FontSpec&) const = default;
};

bool FontFaceInstalled(const wchar_t* face);

// After WM_FONTCHANGE: fonts were added or removed.
void ForgetInstalledFonts();

// The face is used when installed, else its English name (Windows without the
// Japanese names), else the system's dialog font, at the size asked for.
UniqueFont CreateLayoutFont(const FontSpec& spec, unsigned dpi);

}  // namespace kavolt

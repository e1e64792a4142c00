#include "forms/font.h"

#include <cwchar>
#include <map>
#include <string>
#include <string_view>

#include "forms/dpi.h"
#include "texts/texts.h"

namespace kavolt {
namespace {

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

const wchar_t* EnglishFaceName(std::wstring_view face) {
  if (face == text::kFontGothic) return L"MS Gothic";
  if (face == text::kFontPGothic) return L"MS PGothic";
  return nullptr;
}

LOGFONTW DialogFont(unsigned dpi) {
  LOGFONTW font{};
  if (!MessageFontForDpi(dpi, font)) {
    LOGFONTW fallback{};
    fallback.lfHeight = -::MulDiv(9, static_cast<int>(dpi), 72);
    fallback.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(fallback.lfFaceName, L"MS Shell Dlg 2");
    return fallback;
  }
  return font;
}

// Enumerating fonts is slow, and every question window makes its fonts afresh.
std::map<std::wstring, bool, std::less<>>& KnownFaces() {
  static std::map<std::wstring, bool, std::less<>> known;
  return known;
}

bool Enumerate(const wchar_t* face) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(query.lfFaceName, face);
  bool found = false;
  HDC screen = ::GetDC(nullptr);
  ::EnumFontFamiliesExW(screen, &query, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace

bool FontFaceInstalled(const wchar_t* face) {
  if (face == nullptr || std::wcslen(face) >= LF_FACESIZE) return false;
  auto& known = KnownFaces();
  if (const auto it = known.find(std::wstring_view(face)); it != known.end()) return it->second;
  return known.emplace(face, Enumerate(face)).first->second;
}

void ForgetInstalledFonts() { KnownFaces().clear(); }

UniqueFont CreateLayoutFont(const FontSpec& spec, unsigned dpi) {
  LOGFONTW font = DialogFont(dpi);
  if (spec.centipoints > 0) {
    font.lfHeight = -::MulDiv(spec.centipoints, static_cast<int>(dpi), 7200);
    font.lfWidth = 0;
  }
  if (spec.face != nullptr) {
    const wchar_t* face = spec.face;
    if (!FontFaceInstalled(face)) face = EnglishFaceName(face);
    if (face != nullptr && FontFaceInstalled(face)) {
      wcscpy_s(font.lfFaceName, face);
      font.lfCharSet = spec.charset;
      font.lfWeight = FW_NORMAL;
      font.lfItalic = FALSE;
    }
  }
  return UniqueFont(::CreateFontIndirectW(&font));
}

}  // namespace kavolt

#include "forms/dpi.h"

namespace kavolt {
namespace {

// A user32 function by name, or nullptr on a Windows without it.
template <typename Function>
Function* User32Function(const char* name) {
  const FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name);
  // Through the generic function type, which converts to any other without a warning.
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

unsigned SystemDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<unsigned>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

namespace without_dpi_services {

unsigned DpiForWindow(HWND) { return SystemDpi(); }

bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, unsigned) {
  return ::AdjustWindowRectEx(&rect, style, FALSE, exStyle) != FALSE;
}

bool MessageFontForDpi(unsigned dpi, LOGFONTW& font) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    return false;
  }
  font = metrics.lfMessageFont;
  // The system's metrics are at the system's DPI.
  font.lfHeight = ::MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
  return true;
}

}  // namespace without_dpi_services

unsigned DpiForWindow(HWND window) {
  static const auto function = User32Function<UINT WINAPI(HWND)>("GetDpiForWindow");
  if (function == nullptr) return without_dpi_services::DpiForWindow(window);
  const UINT dpi = function(window);
  return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, unsigned dpi) {
  static const auto function =
      User32Function<BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  if (function == nullptr) return without_dpi_services::AdjustWindowRectForDpi(rect, style, exStyle, dpi);
  return function(&rect, style, FALSE, exStyle, dpi) != FALSE;
}

bool MessageFontForDpi(unsigned dpi, LOGFONTW& font) {
  static const auto function =
      User32Function<BOOL WINAPI(UINT, UINT, void*, UINT, UINT)>("SystemParametersInfoForDpi");
  if (function == nullptr) return without_dpi_services::MessageFontForDpi(dpi, font);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!function(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) return false;
  font = metrics.lfMessageFont;
  return true;
}

}  // namespace kavolt

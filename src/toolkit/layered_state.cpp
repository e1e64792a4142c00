#include "toolkit/layered_state.h"

#include <cstdint>

#include "toolkit/window_ops.h"

namespace kavolt {
namespace {

// Set when the window had no WS_EX_LAYERED before Kavolt added it.
constexpr wchar_t kAddedLayeredProp[] = L"Kavolt.AddedLayered";
// The window's own layered attributes, packed: presence bit, flags, alpha, colour key.
constexpr wchar_t kOwnLayeredProp[] = L"Kavolt.OwnLayeredAttributes";

constexpr std::uint64_t kPresent = 1ULL << 48;

HANDLE Pack(COLORREF key, BYTE alpha, DWORD flags) {
  const std::uint64_t packed = kPresent | (static_cast<std::uint64_t>(flags & 0xFF) << 32) |
                               (static_cast<std::uint64_t>(alpha) << 24) | (key & 0xFFFFFF);
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(packed));
}

void Unpack(HANDLE value, COLORREF& key, BYTE& alpha, DWORD& flags) {
  const auto packed = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(value));
  key = static_cast<COLORREF>(packed & 0xFFFFFF);
  alpha = static_cast<BYTE>((packed >> 24) & 0xFF);
  flags = static_cast<DWORD>((packed >> 32) & 0xFF);
}

// The window's own attributes back, and nothing more to undo.
void PutBackOwnAttributes(HWND window) {
  if (HANDLE own = ::RemovePropW(window, kOwnLayeredProp)) {
    COLORREF key = 0;
    BYTE alpha = 255;
    DWORD flags = 0;
    Unpack(own, key, alpha, flags);
    ::SetLayeredWindowAttributes(window, key, alpha, flags);
  }
}

}  // namespace

bool DrawsItsOwnLayers(HWND window) {
  if ((::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) == 0) return false;
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  return ::GetLayeredWindowAttributes(window, &key, &alpha, &flags) == FALSE;
}

void RememberLayeredState(HWND window) {
  if (window == nullptr || !::IsWindow(window)) return;
  if (::GetPropW(window, kAddedLayeredProp) != nullptr ||
      ::GetPropW(window, kOwnLayeredProp) != nullptr) {
    return;
  }
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  if ((style & WS_EX_LAYERED) == 0) {
    ::SetPropW(window, kAddedLayeredProp, reinterpret_cast<HANDLE>(std::uintptr_t{1}));
    return;
  }
  COLORREF key = 0;
  BYTE alpha = 255;
  DWORD flags = 0;
  if (::GetLayeredWindowAttributes(window, &key, &alpha, &flags)) {
    ::SetPropW(window, kOwnLayeredProp, Pack(key, alpha, flags));
  }
}

void SetAlphaOverOwnLook(HWND window, BYTE alpha) {
  const HANDLE own = window != nullptr ? ::GetPropW(window, kOwnLayeredProp) : nullptr;
  if (own == nullptr) {
    SetWindowAlpha(window, alpha);
    return;
  }
  if (alpha == 255) {
    PutBackOwnAttributes(window);
    return;
  }
  COLORREF key = 0;
  BYTE ownAlpha = 255;
  DWORD flags = 0;
  Unpack(own, key, ownAlpha, flags);
  // Over the window's own alpha, so that every step away from its own look is at least
  // as transparent as the one before. Without LWA_ALPHA the stored alpha means nothing.
  if ((flags & LWA_ALPHA) != 0) alpha = static_cast<BYTE>((ownAlpha * alpha + 127) / 255);
  ::SetLayeredWindowAttributes(window, key, alpha, flags | LWA_ALPHA);
}

void RestoreLayeredState(HWND window) {
  if (window == nullptr) return;
  if (::RemovePropW(window, kAddedLayeredProp) != nullptr) {
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, style & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
  }
  PutBackOwnAttributes(window);
}

}  // namespace kavolt

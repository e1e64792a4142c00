// Move-only owners for the handles Kavolt opens, so that each is closed exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace kavolt {

template <typename Traits>
class UniqueResource {
 public:
  using Value = typename Traits::Value;

  UniqueResource() noexcept = default;
  explicit UniqueResource(Value value) noexcept : value_(value) {}
  ~UniqueResource() { reset(); }

  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;

  [[nodiscard]] Value get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return Traits::IsValid(value_); }

  [[nodiscard]] Value release() noexcept { return std::exchange(value_, Traits::Invalid()); }

  void reset(Value value = Traits::Invalid()) noexcept {
    Value old = std::exchange(value_, value);
    if (Traits::IsValid(old)) Traits::Close(old);
  }

 private:
  Value value_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Value = HANDLE;
  static Value Invalid() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Value h) noexcept { ::CloseHandle(h); }
};

struct RegistryKeyTraits {
  using Value = HKEY;
  static Value Invalid() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr; }
  static void Close(Value h) noexcept { ::RegCloseKey(h); }
};

template <typename GdiObject>
struct GdiObjectTraits {
  using Value = GdiObject;
  static Value Invalid() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr; }
  static void Close(Value h) noexcept { ::DeleteObject(h); }
};

// Only for cursors Kavolt still owns: one handed to SetSystemCursor belongs to the system.
struct CursorTraits {
  using Value = HCURSOR;
  static Value Invalid() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr; }
  static void Close(Value h) noexcept { ::DestroyCursor(h); }
};

struct FindFileTraits {
  using Value = HANDLE;
  static Value Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Value h) noexcept { ::FindClose(h); }
};

// Only for windows of the calling thread.
struct WindowTraits {
  using Value = HWND;
  static Value Invalid() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr; }
  static void Close(Value h) noexcept { ::DestroyWindow(h); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueKey = UniqueResource<RegistryKeyTraits>;
using UniqueFont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueResource<GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = UniqueResource<GdiObjectTraits<HBITMAP>>;
using UniqueCursor = UniqueResource<CursorTraits>;
using UniqueFind = UniqueResource<FindFileTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;

}  // namespace kavolt

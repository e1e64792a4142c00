#include "toolkit/registry_text.h"

#include <string_view>

namespace kavolt {

std::optional<std::wstring> ReadRegistryText(HKEY root, const std::wstring& subkey,
                                             const wchar_t* name) {
  constexpr DWORD kTextOnly = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  DWORD size = 0;
  if (::RegGetValueW(root, subkey.c_str(), name, kTextOnly, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (::RegGetValueW(root, subkey.c_str(), name, kTextOnly, nullptr, value.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(std::wstring_view(value.c_str()).size());  // up to the terminating NUL
  return value;
}

std::wstring ExpandEnvironment(const std::wstring& text) {
  const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (needed == 0) return text;
  std::wstring expanded(needed, L'\0');
  const DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
  if (written == 0 || written > needed) return text;
  expanded.resize(written - 1);
  return expanded;
}

}  // namespace kavolt

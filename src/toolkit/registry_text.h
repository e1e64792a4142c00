// Texts from the registry, and the environment variables in them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace kavolt {

// A value of a key (the default one when no name is given), when it is a text;
// unexpanded.
std::optional<std::wstring> ReadRegistryText(HKEY root, const std::wstring& subkey,
                                             const wchar_t* name = nullptr);

// The text with its %VARIABLES% expanded; as given when that fails.
std::wstring ExpandEnvironment(const std::wstring& text);

}  // namespace kavolt

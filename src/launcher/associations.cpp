#include "launcher/associations.h"

#include <windows.h>

#include <shlobj.h>

#include <optional>

#include "launcher/text_rules.h"

namespace kavolt {
namespace {

// The default value of a key under HKEY_CLASSES_ROOT, when it is a text; unexpanded.
std::optional<std::wstring> ReadDefaultText(const std::wstring& subkey) {
  constexpr DWORD kTextOnly = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  DWORD size = 0;
  if (::RegGetValueW(HKEY_CLASSES_ROOT, subkey.c_str(), nullptr, kTextOnly, nullptr, nullptr,
                     &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (::RegGetValueW(HKEY_CLASSES_ROOT, subkey.c_str(), nullptr, kTextOnly, nullptr, value.data(),
                     &size) != ERROR_SUCCESS) {
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

// A process started without SystemRoot in its environment still gets the Windows folder.
std::wstring ReplaceUnsetSystemRoot(std::wstring text) {
  constexpr std::wstring_view kSystemRoot = L"%systemroot%";
  for (size_t at = 0; at + kSystemRoot.size() <= text.size();) {
    if (::CompareStringOrdinal(text.data() + at, static_cast<int>(kSystemRoot.size()),
                               kSystemRoot.data(), static_cast<int>(kSystemRoot.size()),
                               TRUE) != CSTR_EQUAL) {
      ++at;
      continue;
    }
    const std::wstring windows = SpecialFolderPath(CSIDL_WINDOWS);
    text.replace(at, kSystemRoot.size(), windows);
    at += windows.size();
  }
  return text;
}

}  // namespace

std::wstring SpecialFolderPath(int folder) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::wstring AssociatedProgram(std::wstring_view extension) {
  // Only a missing or non-text type ends the lookup early; a missing verb or command
  // merely leaves its value empty.
  const std::optional<std::wstring> type = ReadDefaultText(std::wstring(extension));
  if (!type) return {};

  const std::wstring shell = *type + L"\\shell";
  const std::wstring verb = ReadDefaultText(shell).value_or(L"");
  const std::wstring commandKey = shell + L"\\" + (verb.empty() ? L"open" : verb) + L"\\command";
  const std::wstring command = ReadDefaultText(commandKey).value_or(L"");

  std::wstring program = ReplaceUnsetSystemRoot(ExpandEnvironment(FirstToken(command)));
  // A command that is the document itself ("%1" %*): the item is a program.
  if (program == L"\"%1\"") program.clear();
  return program;
}

}  // namespace kavolt

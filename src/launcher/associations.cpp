#include "launcher/associations.h"

#include <windows.h>

#include <shlobj.h>

#include <optional>

#include "launcher/text_rules.h"
#include "toolkit/executable_folder.h"

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

bool IsFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Where a bare program name of a registered command is looked for: the system folder,
// the Windows folder, then PATH's fully qualified entries, less Kavolt's own folder and
// the one it was started from.
std::vector<std::wstring> ProgramSearchFolders(std::wstring_view startFolder) {
  std::vector<std::wstring> folders;
  wchar_t folder[MAX_PATH] = {};
  const UINT system = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (system > 0 && system < MAX_PATH) folders.emplace_back(folder);
  const UINT windows = ::GetWindowsDirectoryW(folder, MAX_PATH);
  if (windows > 0 && windows < MAX_PATH) folders.emplace_back(folder);

  // Where a planted program would lie: Kavolt's folder (Downloads, often) and the
  // folder it was started from.
  const std::vector<std::wstring> excluded{WithoutTrailingSeparators(ExecutableFolder()),
                                           WithoutTrailingSeparators(std::wstring(startFolder))};
  const auto isExcluded = [&excluded](const std::wstring& candidate) {
    for (const std::wstring& other : excluded) {
      if (::CompareStringOrdinal(candidate.c_str(), -1, other.c_str(), -1, TRUE) == CSTR_EQUAL) {
        return true;
      }
    }
    return false;
  };

  const DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (size > 0) {
    std::wstring path(size, L'\0');
    path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), size));
    for (std::wstring& entry : SearchPathFolders(path)) {
      if (!isExcluded(entry)) folders.push_back(std::move(entry));
    }
  }
  return folders;
}

}  // namespace

std::wstring SpecialFolderPath(int folder) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

Association AssociatedProgram(std::wstring_view extension, std::wstring_view startFolder) {
  // An empty extension would name the default value of HKEY_CLASSES_ROOT itself.
  if (extension.empty()) return {};
  // Only a missing or non-text type ends the lookup early; a missing verb or command
  // merely leaves its value empty.
  const std::optional<std::wstring> type = ReadDefaultText(std::wstring(extension));
  if (!type) return {};

  const std::wstring shell = *type + L"\\shell";
  const std::wstring verb = ReadDefaultText(shell).value_or(L"");
  const std::wstring commandKey = shell + L"\\" + (verb.empty() ? L"open" : verb) + L"\\command";
  const std::wstring command = ReadDefaultText(commandKey).value_or(L"");
  if (Trim(command).empty()) return {};
  if (IsDocumentItself(command)) return {Association::Kind::kDocumentItself, {}};

  // Expanded whole, before the program is cut out: "%ProgramFiles%\App\app.exe" holds
  // a blank only once expanded.
  const std::wstring expanded = ReplaceUnsetSystemRoot(ExpandEnvironment(command));
  const ProgramQuestions questions{IsFile, ProgramSearchFolders(startFolder)};
  std::optional<RegisteredCommand> split = SplitRegisteredCommand(expanded, questions);
  if (!split) return {Association::Kind::kNoProgram, {}};
  return {Association::Kind::kProgram, std::move(*split)};
}

}  // namespace kavolt

#include "launcher/associations.h"

#include <windows.h>

#include <shlobj.h>

#include <optional>

#include "launcher/text_rules.h"
#include "toolkit/executable_folder.h"
#include "toolkit/handle.h"
#include "toolkit/registry_text.h"

namespace kavolt {
namespace {

bool ClassExists(const std::wstring& progId) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, progId.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  const UniqueKey owned(key);
  return true;
}

// A packaged app's class: the system activates the app, which no command starts.
bool IsPackagedApp(std::wstring_view progId) {
  constexpr std::wstring_view kAppX = L"AppX";
  return progId.size() > kAppX.size() &&
         ::CompareStringOrdinal(progId.data(), static_cast<int>(kAppX.size()), kAppX.data(),
                                static_cast<int>(kAppX.size()), TRUE) == CSTR_EQUAL;
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

// What a class's verb opens a document with: the default verb, or "open" when the class
// names none. A verb carried out by a COM object (DelegateExecute) or a packaged app's
// class is the shell's to start, whatever command the verb also holds, as on Windows.
Association ClassVerb(const std::wstring& progId, std::wstring_view startFolder) {
  const std::wstring shell = progId + L"\\shell";
  const std::wstring verb = ReadRegistryText(HKEY_CLASSES_ROOT, shell).value_or(L"");
  const std::wstring commandKey = shell + L"\\" + (verb.empty() ? L"open" : verb) + L"\\command";
  const std::wstring delegate =
      ReadRegistryText(HKEY_CLASSES_ROOT, commandKey, L"DelegateExecute").value_or(L"");
  if (IsPackagedApp(progId) || !Trim(delegate).empty()) {
    return {Association::Kind::kShell, {}, progId, verb};
  }
  const std::wstring command = ReadRegistryText(HKEY_CLASSES_ROOT, commandKey).value_or(L"");
  if (Trim(command).empty()) return {};
  if (IsDocumentItself(command)) return {Association::Kind::kDocumentItself};

  // Expanded whole, before the program is cut out: "%ProgramFiles%\App\app.exe" holds
  // a blank only once expanded.
  const std::wstring expanded = ReplaceUnsetSystemRoot(ExpandEnvironment(command));
  const ProgramQuestions questions{IsFile, ProgramSearchFolders(startFolder)};
  std::optional<RegisteredCommand> split = SplitRegisteredCommand(expanded, questions);
  if (!split) return {Association::Kind::kNoProgram};
  return {Association::Kind::kProgram, std::move(*split)};
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
  const std::optional<std::wstring> type =
      ReadRegistryText(HKEY_CLASSES_ROOT, std::wstring(extension));
  const Association registered = type ? ClassVerb(*type, startFolder) : Association{};
  // Programs start only as programs: a choice written for them would take every program
  // away from Explorer too.
  if (IsProgramExtension(extension) || registered.kind == Association::Kind::kDocumentItself) {
    return registered;
  }
  // The program the person chose for the type. Windows keeps a hash beside the choice,
  // whose scheme is not published: the choice is read as written.
  const std::wstring choices =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\" +
      std::wstring(extension) + L"\\";
  // Windows 11 24H2 and later keep the newer choice one key deeper, and some builds no
  // longer update UserChoice.
  for (const wchar_t* choice : {L"UserChoiceLatest\\ProgId", L"UserChoice"}) {
    const std::optional<std::wstring> progId =
        ReadRegistryText(HKEY_CURRENT_USER, choices + choice, L"ProgId");
    // A class uninstalled since, or a program gone from it, is no choice any more.
    if (!progId || progId->empty() || !ClassExists(*progId)) continue;
    Association chosen = ClassVerb(*progId, startFolder);
    if (chosen.kind == Association::Kind::kProgram || chosen.kind == Association::Kind::kShell) {
      return chosen;
    }
  }
  return registered;
}

}  // namespace kavolt

#include "launcher/console_window.h"

#include <shellapi.h>

#include <array>
#include <optional>

#include "launcher/text_rules.h"

namespace kavolt {
namespace {

bool IsBatchFile(const std::wstring& path) {
  const std::optional<std::wstring> extension = FileExtension(path);
  if (!extension) return false;
  const auto is = [&](const wchar_t* type) {
    return ::CompareStringOrdinal(extension->c_str(), -1, type, -1, TRUE) == CSTR_EQUAL;
  };
  return is(L".bat") || is(L".cmd");
}

std::wstring CommandInterpreter() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\cmd.exe";
}

// Runs on a thread that the system starts for the event, which may come a moment after
// FreeConsole; it touches nothing and returns at once, since the process's console lock,
// which AttachConsole and FreeConsole take, is held meanwhile. Ctrl+C and Ctrl+Break are
// ignored by it. A close ends a process on Windows whatever its handlers answer, so there
// only the shortness of the attach keeps Kavolt alive.
BOOL WINAPI IgnoreConsoleEvent(DWORD) { return TRUE; }

constexpr std::array<DWORD, 3> kStandardHandles{STD_INPUT_HANDLE, STD_OUTPUT_HANDLE,
                                                STD_ERROR_HANDLE};

}  // namespace

bool IsConsoleProgram(const std::wstring& application) {
  const std::wstring program = IsBatchFile(application) ? CommandInterpreter() : application;
  // The executable's type; its high word, the Windows version it needs, is 0 for a
  // console program. 0 altogether: not an executable.
  const DWORD_PTR type = ::SHGetFileInfoW(program.c_str(), 0, nullptr, 0, SHGFI_EXETYPE);
  return type != 0 && HIWORD(type) == 0;
}

HWND ConsoleWindowOf(DWORD processId) {
  // Once, for the rest of the run: the default handler would end Kavolt mid-list.
  static const bool ignoring = ::SetConsoleCtrlHandler(IgnoreConsoleEvent, TRUE) != FALSE;
  if (!ignoring) return nullptr;

  // The attach puts the console's handles in place of Kavolt's own, and FreeConsole
  // closes them without putting those back.
  std::array<HANDLE, kStandardHandles.size()> own{};
  for (size_t i = 0; i < own.size(); ++i) own[i] = ::GetStdHandle(kStandardHandles[i]);
  bool attached = ::AttachConsole(processId) != FALSE;
  if (!attached && ::GetLastError() == ERROR_ACCESS_DENIED) {
    // Kavolt has a console already: Windows gives a GUI program none, but under Wine one
    // that cmd starts shares cmd's. Kavolt writes to no console.
    ::FreeConsole();
    attached = ::AttachConsole(processId) != FALSE;
  }
  HWND console = attached ? ::GetConsoleWindow() : nullptr;  // none yet, or the process ended
  if (attached) ::FreeConsole();
  for (size_t i = 0; i < own.size(); ++i) ::SetStdHandle(kStandardHandles[i], own[i]);
  return console;
}

}  // namespace kavolt

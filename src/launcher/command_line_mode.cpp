#include "launcher/command_line_mode.h"

#include <optional>

#include "launcher/associations.h"
#include "launcher/command_rules.h"
#include "launcher/console_window.h"
#include "launcher/launch_wait.h"
#include "launcher/shell_open.h"
#include "launcher/text_rules.h"
#include "launcher/windows_paths.h"
#include "toolkit/executable_folder.h"
#include "toolkit/handle.h"
#include "toolkit/program_end.h"
#include "toolkit/window_ops.h"

namespace kavolt {
namespace {

std::wstring LowerCase(std::wstring text) {
  if (!text.empty()) ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// Neither a file nor a folder, and no other answer (access denied, a share offline).
bool NothingLiesAt(const std::wstring& path) {
  if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// What to start for one resolved path: the program file and the command line, or the
// document that the shell opens with a class and its verb.
struct StartCommand {
  std::wstring application;
  std::wstring commandLine;
  std::wstring shellClass;  // the shell's to open when not empty
  std::wstring shellVerb;
  std::wstring document;
};

std::optional<StartCommand> CommandFor(const std::wstring& path, std::wstring& documentArgument,
                                       const std::wstring& startFolder) {
  // ResolvePath quotes a spaced path; the file itself is what lies inside.
  std::wstring quoted(path);
  std::optional<std::wstring> unquoted = StripQuotes(quoted);
  if (!unquoted) return std::nullopt;
  std::wstring file = std::move(*unquoted);
  // Anything but a full path (an opening quote without a closing one comes back as
  // given) would be looked for on PATH. No file name holds a quote either, and a path
  // that ends in "\" names a folder (an empty item names Kavolt's own).
  if (!IsFullyQualified(file) || file.find(L'"') != std::wstring::npos || file.ends_with(L'\\')) {
    return std::nullopt;
  }

  // Lower case only to look the type up: in a case-sensitive folder (WSL, a folder
  // marked so, some shares) "Plan.KVT" and "plan.kvt" are two files.
  const std::optional<std::wstring> typed = FileExtension(path);
  if (!typed) return std::nullopt;
  const std::wstring extension = LowerCase(*typed);
  const Association association = AssociatedProgram(extension, startFolder);
  switch (association.kind) {
    case Association::Kind::kProgram: {
      std::optional<std::wstring> commandLine = DocumentCommandLine(association.command, file);
      if (!commandLine) return std::nullopt;
      documentArgument = QuotedForCommandLine(file);
      return StartCommand{association.command.program, std::move(*commandLine)};
    }
    case Association::Kind::kShell:
      documentArgument = QuotedForCommandLine(file);
      return StartCommand{{}, {}, association.progId, association.verb, std::move(file)};
    case Association::Kind::kNoProgram:
      return std::nullopt;
    case Association::Kind::kNone:
      // Never run a document as a program: a renamed program stays a document. A name
      // without a type means "<name>.exe", as CreateProcess would read it, but only
      // when nothing lies there itself: Explorer hides the ".exe" of the program beside
      // a document or folder of the same name.
      if (extension.empty()) {
        if (!NothingLiesAt(file)) return std::nullopt;
        file += L".exe";
      } else if (!IsProgramExtension(extension)) {
        return std::nullopt;
      }
      break;
    case Association::Kind::kDocumentItself:
      break;
  }
  std::wstring commandLine = QuotedForCommandLine(file);
  if (!documentArgument.empty()) commandLine += L" " + documentArgument;
  return StartCommand{std::move(file), std::move(commandLine)};
}

// A hidden topmost window of Kavolt's own while it lives. Wine moves a window's owned
// pop-ups (a tooltip) to the front of the topmost band before the window and then puts
// the window after them, where it counts as topmost only if a topmost window follows;
// with no other window in the band it stays out although SetWindowPos succeeds.
UniqueWindow BandMarker() {
  return UniqueWindow(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP,
                                        0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
}

// Only the window the item started, never whatever else has the foreground; read back,
// since SetWindowPos can succeed and leave a window where it was.
bool PinStartedWindow(HWND window) {
  ::SetForegroundWindow(window);
  const UniqueWindow marker = BandMarker();
  return SetZOrder(window, HWND_TOPMOST) && IsTopmost(window);
}

// The program by its full path (CreateProcess searches no folder for it), shown normally.
bool StartProgram(StartCommand& start, const std::wstring& folder, UniqueHandle& process) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  // A console of its own, as Windows gives a console program that a GUI program starts
  // anyway; under Wine it would share the windowless console that Kavolt got from cmd.
  const DWORD flags = IsConsoleProgram(start.application) ? CREATE_NEW_CONSOLE : 0;
  if (!::CreateProcessW(start.application.c_str(), start.commandLine.data(), nullptr, nullptr,
                        FALSE, flags, nullptr, folder.c_str(), &startup, &started)) {
    return false;
  }
  process.reset(started.hProcess);
  const UniqueHandle thread(started.hThread);
  return true;
}

LaunchResult Launch(std::wstring& item, std::wstring& documentArgument, LaunchSession& session) {
  if (item.find(L' ') != std::wstring::npos) item = EnsureQuoted(item);

  const std::wstring appDir = ExecutableFolder();
  const std::optional<std::wstring> resolved = ResolvePath(item, appDir, WindowsPathQuestions());
  if (!resolved) return {};
  std::optional<StartCommand> start = CommandFor(*resolved, documentArgument, session.startFolder);
  if (!start) return {};

  ::SetCurrentDirectoryW(appDir.c_str());
  session.presses.StartItem();
  const WindowSet existedBefore = TopLevelWindows();
  const HWND foregroundAtStart = ::GetForegroundWindow();
  ULONGLONG startTick = ::GetTickCount64();
  UniqueHandle process;
  if (start->shellClass.empty()) {
    if (!StartProgram(*start, appDir, process)) return {};
  } else {
    if (!OpenWithShell(start->shellClass, start->shellVerb, start->document, appDir, process)) {
      return {};
    }
    // Nothing started that Kavolt can name: only a hand-over, from the shell's return on.
    if (!process) startTick = ::GetTickCount64();
  }

  return {WaitUntilRunning({process.get(), startTick, &existedBefore, foregroundAtStart},
                           session.presses, PinStartedWindow)};
}

std::wstring CurrentFolder() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return {};
  std::wstring folder(size, L'\0');
  folder.resize(::GetCurrentDirectoryW(size, folder.data()));
  return folder;
}

}  // namespace

LaunchResult LaunchItem(std::wstring& item, std::wstring& documentArgument,
                        LaunchSession& session) {
  try {
    return Launch(item, documentArgument, session);
  } catch (...) {
    return {};  // one item's failure never reaches the next item
  }
}

void RunCommandLineMode(std::wstring_view argumentText) {
  LaunchSession session{CurrentFolder(), {}};
  for (std::wstring item : SplitCommandLine(argumentText)) {
    std::wstring documentArgument;
    LaunchItem(item, documentArgument, session);
  }
  EndProgram();
}

}  // namespace kavolt

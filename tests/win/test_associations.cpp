// File-type lookups against real registry keys that the tests write and remove.
#include "launcher/associations.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "launcher/command_line_mode.h"
#include "launcher/shell_open.h"
#include "toolkit/executable_folder.h"
#include "toolkit/handle.h"

namespace kavolt {
namespace {

// Windows merges HKCU\Software\Classes into HKEY_CLASSES_ROOT; Wine reads HKLM's alone.
HKEY ClassesRoot(std::wstring& path) {
  const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  path = L"Software\\Classes\\";
  return wine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class Associations : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::wstring& key : written_) RegDeleteTreeW(root_, key.c_str());
    UseShellExecuteEx(ShellExecuteExW);
  }

  // Sets a value of HKCR\<key> (the default one without a name), creating the key.
  void Write(const std::wstring& key, const std::wstring& value, DWORD type = REG_SZ,
             const wchar_t* name = nullptr) {
    const std::wstring full = prefix_ + key;
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root_, full.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created,
                              nullptr),
              ERROR_SUCCESS);
    UniqueKey owned(created);
    if (type == REG_DWORD) {
      const DWORD number = 7;
      RegSetValueExW(created, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                     sizeof(number));
    } else {
      RegSetValueExW(created, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    // "Applications" holds every program's registration: only the test's own goes.
    const size_t first = full.find(L'\\', prefix_.size());
    const size_t end = key.starts_with(L"Applications\\") ? full.find(L'\\', first + 1) : first;
    written_.push_back(full.substr(0, end));
  }

  void Register(const std::wstring& extension, const std::wstring& type,
                const std::wstring& openCommand) {
    Write(extension, type);
    Write(type + L"\\shell\\open\\command", openCommand);
  }

  std::wstring prefix_;
  HKEY root_ = ClassesRoot(prefix_);
  std::vector<std::wstring> written_;
};

// An empty file at the path, its folders created; removed with the test's folder.
void Touch(const std::wstring& path) {
  SHCreateDirectoryExW(nullptr, path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

std::wstring Environment(const wchar_t* name) {
  wchar_t value[4096] = {};
  GetEnvironmentVariableW(name, value, 4096);
  return value;
}

using Kind = Association::Kind;

TEST_F(Associations, TheProgramOfTheOpenCommandIsFoundWhereItLies) {
  const std::wstring windows = SpecialFolderPath(CSIDL_WINDOWS);
  ASSERT_FALSE(windows.empty());
  const std::wstring system = windows + L"\\system32";
  // Decoys where a careless search would look first: "...\Kavolt.exe" before the
  // unquoted "...\Kavolt Test\...", and bare names in Kavolt's (the test's) folder and
  // in the current one.
  const std::wstring scratch = Environment(L"TEMP") + L"\\Kavolt Assoc";
  const std::wstring spaced = scratch + L"\\Kavolt Test\\App Dir\\app.exe";
  const std::wstring onPath = scratch + L"\\bin\\kvbare.exe";
  // Kavolt was started from "cwd", which is on PATH; the launch has made Kavolt's own
  // folder the current one since.
  const std::wstring startFolder = scratch + L"\\cwd";
  for (const std::wstring& file :
       {spaced, onPath, scratch + L"\\Kavolt.exe", startFolder + L"\\kvbare.exe",
        startFolder + L"\\kvstart.exe", ExecutableFolder() + L"\\kvbare.exe",
        ExecutableFolder() + L"\\kvlocal.exe"}) {
    Touch(file);
  }
  const std::wstring path = Environment(L"PATH");
  SetEnvironmentVariableW(
      L"PATH", (scratch + L"\\bin;" + ExecutableFolder() + L";" + startFolder + L";.;" + path).c_str());
  SetEnvironmentVariableW(L"KAVOLT_TEST_DIR", scratch.c_str());
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  SetCurrentDirectoryW(ExecutableFolder().c_str());

  const struct {
    const wchar_t* extension;
    std::wstring command;
    DWORD commandType;
    Kind kind;
    std::wstring program;
    std::wstring arguments;
  } cases[] = {
      {L".kvt1", L"%SystemRoot%\\system32\\NOTEPAD.EXE %1", REG_EXPAND_SZ, Kind::kProgram,
       system + L"\\NOTEPAD.EXE", L" %1"},
      {L".kvt2", L"%systemroot%\\system32\\notepad.exe /p \"%1\"", REG_SZ, Kind::kProgram,
       system + L"\\notepad.exe", L" /p \"%1\""},
      // Unquoted and spaced once expanded: the shortest prefix that is a file.
      {L".kvt3", L"%KAVOLT_TEST_DIR%\\Kavolt Test\\App Dir\\app.exe \"%1\" /s", REG_EXPAND_SZ,
       Kind::kProgram, spaced, L" \"%1\" /s"},
      {L".kvt4", L"\"" + spaced + L"\"\"%1\"", REG_SZ, Kind::kProgram, spaced, L"\"%1\""},
      // Bare names: the system's folders and PATH, never Kavolt's folder or the current one.
      {L".kvt5", L"regedit.exe \"%1\"", REG_SZ, Kind::kProgram, windows + L"\\regedit.exe",
       L" \"%1\""},
      {L".kvt6", L"rundll32 shell32.dll,Control_RunDLL %l", REG_SZ, Kind::kProgram,
       system + L"\\rundll32.exe", L" shell32.dll,Control_RunDLL %l"},
      {L".kvt7", L"kvbare.exe %1", REG_SZ, Kind::kProgram, onPath, L" %1"},
      {L".kvt8", L"kvlocal.exe %1", REG_SZ, Kind::kNoProgram, L"", L""},
      {L".kvte", L"kvstart.exe %1", REG_SZ, Kind::kNoProgram, L"", L""},
      {L".kvt9", L"\"%1\" %*", REG_SZ, Kind::kDocumentItself, L"", L""},
      {L".kvta", L"%1", REG_SZ, Kind::kNoProgram, L"", L""},
      {L".kvtb", L"app.exe\\..\\x.exe %1", REG_SZ, Kind::kNoProgram, L"", L""},
      {L".kvtc", L"\"" + scratch + L"\\missing.exe\" %1", REG_SZ, Kind::kNoProgram, L"", L""},
      {L".kvtd", L"  ", REG_SZ, Kind::kNone, L"", L""},
  };
  for (const auto& c : cases) {
    const std::wstring type = std::wstring(L"Kavolt.Test") + c.extension;
    Write(c.extension, type);
    Write(type + L"\\shell\\open\\command", c.command, c.commandType);
    const Association found = AssociatedProgram(c.extension, startFolder);
    EXPECT_EQ(found.kind, c.kind) << c.command;
    EXPECT_EQ(CompareStringOrdinal(found.command.program.c_str(), -1, c.program.c_str(), -1, TRUE),
              CSTR_EQUAL)
        << c.command << " -> " << found.command.program;
    EXPECT_EQ(found.command.arguments, c.arguments) << c.command;
  }

  SetCurrentDirectoryW(current);
  SetEnvironmentVariableW(L"PATH", path.c_str());
  for (const wchar_t* planted : {L"\\kvbare.exe", L"\\kvlocal.exe"}) {
    DeleteFileW((ExecutableFolder() + planted).c_str());
  }
  SHFILEOPSTRUCTW remove{};
  const std::wstring from = scratch + L'\0';
  remove.wFunc = FO_DELETE;
  remove.pFrom = from.c_str();
  remove.fFlags = FOF_NO_UI;
  SHFileOperationW(&remove);
}

TEST_F(Associations, TheDefaultVerbDecidesWithoutFallingBackToOpen) {
  Register(L".kvtedit", L"Kavolt.Test.Edit", L"open.exe %1");
  Write(L"Kavolt.Test.Edit\\shell", L"edit");
  const std::wstring editor = SpecialFolderPath(CSIDL_WINDOWS) + L"\\regedit.exe";
  Write(L"Kavolt.Test.Edit\\shell\\edit\\command", L"\"" + editor + L"\" \"%1\"");
  EXPECT_EQ(AssociatedProgram(L".kvtedit", {}).command.program, editor);

  Register(L".kvtnoedit", L"Kavolt.Test.NoEdit", L"open.exe %1");
  Write(L"Kavolt.Test.NoEdit\\shell", L"edit");
  EXPECT_EQ(AssociatedProgram(L".kvtnoedit", {}).kind, Kind::kNone)
      << "a verb without a command gives nothing";

  Register(L".kvtemptyverb", L"Kavolt.Test.EmptyVerb", L"notepad.exe %1");
  Write(L"Kavolt.Test.EmptyVerb\\shell", L"");
  EXPECT_EQ(AssociatedProgram(L".kvtemptyverb", {}).command.arguments, L" %1");
}

TEST_F(Associations, NothingForUnregisteredOrBrokenTypes) {
  Write(L".kvtnumber", L"", REG_DWORD);
  Write(L".kvtnotype", L"Kavolt.Test.Missing");
  Write(L".kvtnocommand", L"Kavolt.Test.NoCommand");
  Write(L"Kavolt.Test.NoCommand\\shell\\open", L"");
  // HKEY_CLASSES_ROOT's own default value names a registered type: an empty extension
  // still reads nothing.
  Register(L".kvtroot", L"Kavolt.Test.Root", L"notepad.exe %1");
  HKEY classes = nullptr;
  const std::wstring classesPath = prefix_.substr(0, prefix_.size() - 1);
  ASSERT_EQ(RegOpenKeyExW(root_, classesPath.c_str(), 0, KEY_SET_VALUE, &classes), ERROR_SUCCESS);
  const UniqueKey classesKey(classes);
  const wchar_t rootType[] = L"Kavolt.Test.Root";
  ASSERT_EQ(RegSetValueExW(classes, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(rootType),
                           sizeof(rootType)),
            ERROR_SUCCESS);
  const Association fromRoot = AssociatedProgram(L"", {});
  RegDeleteValueW(classes, nullptr);
  EXPECT_EQ(fromRoot.kind, Kind::kNone);

  const wchar_t* extensions[] = {L".kvt-not-registered", L".kvtnumber", L".kvtnotype",
                                 L".kvtnocommand", L""};
  for (const wchar_t* extension : extensions) {
    EXPECT_EQ(AssociatedProgram(extension, {}).kind, Kind::kNone) << "extension '" << extension << "'";
  }
}

TEST_F(Associations, ThePersonsChoiceComesFirstWhenItCanStart) {
  const std::wstring windows = SpecialFolderPath(CSIDL_WINDOWS);
  const std::wstring notepad = windows + L"\\system32\\notepad.exe";
  const std::wstring regedit = windows + L"\\regedit.exe";
  const std::wstring opens = L"\"" + regedit + L"\" \"%1\"";
  const std::wstring delegate = L"{2A2A2A2A-0000-4000-8000-2A2A2A2A2A2A}";
  Register(L".kvc", L"Kavolt.Test.Registered", L"\"" + notepad + L"\" \"%1\"");
  Register(L".kvcself", L"Kavolt.Test.Itself", L"\"%1\" %*");
  Write(L"Kavolt.Test.Chosen\\shell\\open\\command", opens);
  Write(L"Applications\\kvchosen.exe\\shell\\open\\command", opens);
  Write(L"Kavolt.Test.Uninstalled\\shell\\open\\command", L"\"C:\\gone\\app.exe\" \"%1\"");
  Write(L"Kavolt.Test.Delegate\\shell\\open\\command", opens);
  Write(L"Kavolt.Test.Delegate\\shell\\open\\command", delegate, REG_SZ, L"DelegateExecute");
  Write(L"Kavolt.Test.DelegateOnly\\shell", L"edit");
  Write(L"Kavolt.Test.DelegateOnly\\shell\\edit\\command", delegate, REG_SZ, L"DelegateExecute");
  Write(L"Kavolt.Test.EmptyDelegate\\shell\\open\\command", opens);
  Write(L"Kavolt.Test.EmptyDelegate\\shell\\open\\command", L"", REG_SZ, L"DelegateExecute");
  Write(L"AppXkavolttest\\shell\\open", L"");

  // What .exe is without a choice: exefile ("%1" %*) on Windows, nothing under Wine.
  const Kind exe = AssociatedProgram(L".exe", {}).kind;
  ASSERT_NE(exe, Kind::kProgram);
  // The choices go to a key of the test's own that stands in for HKCU.
  HKEY standIn = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Kavolt tests", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &standIn, nullptr),
            ERROR_SUCCESS);
  const UniqueKey standInKey(standIn);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, standIn), ERROR_SUCCESS);
  const struct {
    const char* what;
    const wchar_t* extension;
    const wchar_t* latest;  // UserChoiceLatest\ProgId's, then UserChoice's; nullptr: none
    const wchar_t* choice;
    Kind kind;
    std::wstring opened;  // the program, or the class the shell opens it with
  } cases[] = {
      {"no choice", L".kvc", nullptr, nullptr, Kind::kProgram, notepad},
      {"a choice, without a hash", L".kvc", nullptr, L"Kavolt.Test.Chosen", Kind::kProgram, regedit},
      {"the latest choice first", L".kvc", L"Kavolt.Test.Chosen", L"Kavolt.Test.Delegate",
       Kind::kProgram, regedit},
      {"a program chosen", L".kvc", nullptr, L"Applications\\kvchosen.exe", Kind::kProgram, regedit},
      {"a class that is gone", L".kvc", nullptr, L"Kavolt.Test.Gone", Kind::kProgram, notepad},
      {"a program that is gone", L".kvc", nullptr, L"Kavolt.Test.Uninstalled", Kind::kProgram,
       notepad},
      {"a delegate beside a command", L".kvc", nullptr, L"Kavolt.Test.Delegate", Kind::kShell,
       L"Kavolt.Test.Delegate"},
      {"a delegate alone", L".kvc", nullptr, L"Kavolt.Test.DelegateOnly", Kind::kShell,
       L"Kavolt.Test.DelegateOnly"},
      {"an empty delegate", L".kvc", nullptr, L"Kavolt.Test.EmptyDelegate", Kind::kProgram, regedit},
      {"a packaged app", L".kvc", nullptr, L"AppXkavolttest", Kind::kShell, L"AppXkavolttest"},
      {"a choice for .exe", L".exe", L"Kavolt.Test.Chosen", nullptr, exe, L""},
      {"a choice for a program's type", L".kvcself", nullptr, L"Kavolt.Test.Chosen",
       Kind::kDocumentItself, L""},
  };
  const std::wstring fileExts = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
  for (const auto& c : cases) {
    RegDeleteTreeW(HKEY_CURRENT_USER, fileExts.c_str());
    const std::pair<const wchar_t*, const wchar_t*> choices[] = {
        {L"UserChoiceLatest\\ProgId", c.latest}, {L"UserChoice", c.choice}};
    for (const auto& [key, progId] : choices) {
      if (progId == nullptr) continue;
      RegSetKeyValueW(HKEY_CURRENT_USER, (fileExts + L"\\" + c.extension + L"\\" + key).c_str(),
                      L"ProgId", REG_SZ, progId,
                      static_cast<DWORD>((wcslen(progId) + 1) * sizeof(wchar_t)));
    }
    const Association found = AssociatedProgram(c.extension, {});
    EXPECT_EQ(found.kind, c.kind) << c.what;
    const std::wstring& opened = c.kind == Kind::kShell ? found.progId : found.command.program;
    EXPECT_EQ(CompareStringOrdinal(opened.c_str(), -1, c.opened.c_str(), -1, TRUE), CSTR_EQUAL)
        << c.what << ": " << opened;
  }
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kavolt tests");
}

struct ShellCall {
  ULONG mask;
  std::wstring progId, verb, file, folder;
  int show;
};
std::vector<ShellCall> shellCalls;

BOOL WINAPI RecordShellExecuteEx(SHELLEXECUTEINFOW* info) {
  shellCalls.push_back({info->fMask, info->lpClass, info->lpVerb ? info->lpVerb : L"(default)",
                        info->lpFile, info->lpDirectory, info->nShow});
  return FALSE;  // nothing starts
}

TEST_F(Associations, WhatOnlyTheShellCanStartIsHandedToIt) {
  // A non-default verb, and beside the delegate a command that Kavolt itself would refuse.
  Write(L".kvcs", L"Kavolt.Test.Shell");
  Write(L"Kavolt.Test.Shell\\shell", L"edit");
  Write(L"Kavolt.Test.Shell\\shell\\edit\\command", L"\"\"\"x\"\"\" %1");
  Write(L"Kavolt.Test.Shell\\shell\\edit\\command", L"{2A2A2A2A-0000-4000-8000-2A2A2A2A2A2A}",
        REG_SZ, L"DelegateExecute");
  UseShellExecuteEx(RecordShellExecuteEx);
  LaunchSession session;
  const std::wstring path = ExecutableFolder() + L"\\a doc.kvcs";
  std::wstring item = L"\"" + path + L"\"", documentArgument;
  EXPECT_EQ(LaunchItem(item, documentArgument, session).window, nullptr);
  ASSERT_EQ(shellCalls.size(), 1u);
  const ShellCall& call = shellCalls[0];
  EXPECT_EQ(call.mask, static_cast<ULONG>(SEE_MASK_CLASSNAME | SEE_MASK_NOCLOSEPROCESS |
                                          SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC));
  EXPECT_EQ(call.progId, L"Kavolt.Test.Shell");
  EXPECT_EQ(call.verb, L"edit");
  EXPECT_EQ(call.file, path) << "the document's full path, without quotes";
  EXPECT_EQ(call.folder, ExecutableFolder());
  EXPECT_EQ(call.show, SW_SHOWNORMAL);
}

TEST(SpecialFolderPath, TheWindowsFolder) {
  const std::wstring windows = SpecialFolderPath(CSIDL_WINDOWS);
  wchar_t expected[MAX_PATH] = {};
  GetWindowsDirectoryW(expected, MAX_PATH);
  EXPECT_EQ(CompareStringOrdinal(windows.c_str(), -1, expected, -1, TRUE), CSTR_EQUAL);
  EXPECT_EQ(SpecialFolderPath(0x7F), L"") << "a folder id that names nothing";
}

}  // namespace
}  // namespace kavolt

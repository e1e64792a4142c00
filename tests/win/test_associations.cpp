// File-type lookups against real registry keys that the tests write and remove.
#include "launcher/associations.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

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
  }

  // Sets the default value of HKCR\<key>, creating the key.
  void Write(const std::wstring& key, const std::wstring& value, DWORD type = REG_SZ) {
    const std::wstring full = prefix_ + key;
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root_, full.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created,
                              nullptr),
              ERROR_SUCCESS);
    UniqueKey owned(created);
    if (type == REG_DWORD) {
      const DWORD number = 7;
      RegSetValueExW(created, nullptr, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                     sizeof(number));
    } else {
      RegSetValueExW(created, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    const std::wstring top = full.substr(0, full.find(L'\\', prefix_.size()));
    written_.push_back(top);
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

TEST_F(Associations, TheProgramPartOfTheOpenCommand) {
  const std::wstring windows = SpecialFolderPath(CSIDL_WINDOWS);
  ASSERT_FALSE(windows.empty());
  wchar_t programFiles[MAX_PATH] = {};
  GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH);

  const struct {
    const wchar_t* extension;
    const wchar_t* command;
    DWORD commandType;
    std::wstring expected;
  } cases[] = {
      {L".kvt1", L"%SystemRoot%\\system32\\NOTEPAD.EXE %1", REG_EXPAND_SZ,
       windows + L"\\system32\\NOTEPAD.EXE"},
      {L".kvt2", L"%windir%\\notepad.exe \"%1\"", REG_EXPAND_SZ, windows + L"\\notepad.exe"},
      {L".kvt3", L"%systemroot%\\x.exe %1", REG_SZ, windows + L"\\x.exe"},
      {L".kvt4", L"\"%ProgramFiles%\\App Dir\\app.exe\" \"%1\"", REG_EXPAND_SZ,
       std::wstring(L"\"") + programFiles + L"\\App Dir\\app.exe\""},
      {L".kvt5", L"\"C:\\Program Files\\App\\app.exe\" \"%1\"", REG_SZ,
       L"\"C:\\Program Files\\App\\app.exe\""},
      {L".kvt6", L"\"%1\" %*", REG_SZ, L""},
      {L".kvt7", L"%1", REG_SZ, L"%1"},
      {L".kvt8", L"  spaced.exe  /x", REG_SZ, L"spaced.exe"},
  };
  for (const auto& c : cases) {
    const std::wstring type = std::wstring(L"Kavolt.Test") + c.extension;
    Write(c.extension, type);
    Write(type + L"\\shell\\open\\command", c.command, c.commandType);
    EXPECT_EQ(AssociatedProgram(c.extension), c.expected) << c.command;
  }
}

TEST_F(Associations, TheDefaultVerbDecidesWithoutFallingBackToOpen) {
  Register(L".kvtedit", L"Kavolt.Test.Edit", L"open.exe %1");
  Write(L"Kavolt.Test.Edit\\shell", L"edit");
  Write(L"Kavolt.Test.Edit\\shell\\edit\\command", L"\"C:\\Tools\\editor.exe\" \"%1\"");
  EXPECT_EQ(AssociatedProgram(L".kvtedit"), L"\"C:\\Tools\\editor.exe\"");

  Register(L".kvtnoedit", L"Kavolt.Test.NoEdit", L"open.exe %1");
  Write(L"Kavolt.Test.NoEdit\\shell", L"edit");
  EXPECT_EQ(AssociatedProgram(L".kvtnoedit"), L"") << "a verb without a command gives nothing";

  Register(L".kvtemptyverb", L"Kavolt.Test.EmptyVerb", L"open.exe %1");
  Write(L"Kavolt.Test.EmptyVerb\\shell", L"");
  EXPECT_EQ(AssociatedProgram(L".kvtemptyverb"), L"open.exe");
}

TEST_F(Associations, NothingForUnregisteredOrBrokenTypes) {
  Write(L".kvtnumber", L"", REG_DWORD);
  Write(L".kvtnotype", L"Kavolt.Test.Missing");
  Write(L".kvtnocommand", L"Kavolt.Test.NoCommand");
  Write(L"Kavolt.Test.NoCommand\\shell\\open", L"");
  const wchar_t* extensions[] = {L".kvt-not-registered", L".kvtnumber", L".kvtnotype",
                                 L".kvtnocommand", L""};
  for (const wchar_t* extension : extensions) {
    EXPECT_EQ(AssociatedProgram(extension), L"") << "extension '" << extension << "'";
  }
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

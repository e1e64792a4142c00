// The cursor swap with recording functions in place of the user32 calls it makes:
// Wine's SetSystemCursor changes nothing, so the calls themselves are the evidence.
#include "toolkit/cursor_swap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "toolkit/executable_folder.h"
#include "toolkit/handle.h"

namespace kavolt {
namespace {

namespace fs = std::filesystem;

struct Call {
  std::wstring what;
  std::wstring argument;
  HCURSOR cursor = nullptr;
};

std::vector<Call> calls;
bool loadFails = false;
bool loadForReal = false;
bool systemRefuses = false;
bool refuseOnce = false;
bool schemeFileFails = false;
bool copyFails = false;
HCURSOR arrowShown = nullptr;  // what the shared arrow shows; nullptr: a fake handle
HCURSOR sourceShows = nullptr;  // what the arrow's source shows, when not the arrow's picture
UINT_PTR nextHandle = 0x1000;

HCURSOR NewFakeHandle() { return reinterpret_cast<HCURSOR>(nextHandle += 0x10); }

BOOL WINAPI RecordSetSystemCursor(HCURSOR cursor, DWORD id) {
  if (std::exchange(refuseOnce, false)) return FALSE;  // changes nothing: not recorded
  calls.push_back({L"SetSystemCursor", std::to_wstring(id), cursor});
  return systemRefuses ? FALSE : TRUE;
}
HCURSOR WINAPI RecordLoadCursorFromFile(LPCWSTR path) {
  const bool fails = loadFails || (fs::path(path).filename() == L"arrow.cur" &&
                                   std::exchange(schemeFileFails, false));
  HCURSOR cursor = fails ? nullptr : loadForReal ? LoadCursorFromFileW(path) : NewFakeHandle();
  calls.push_back({L"LoadCursorFromFile", path, cursor});
  return cursor;
}
HICON WINAPI RecordCopyIcon(HICON icon) {
  HCURSOR copy = copyFails ? nullptr : NewFakeHandle();
  calls.push_back({L"CopyIcon", std::to_wstring(reinterpret_cast<UINT_PTR>(icon)), copy});
  return copy;
}
// Nothing comes of a fake handle, and then nothing is recorded.
HANDLE WINAPI RecordCopyImage(HANDLE image, UINT type, int width, int height, UINT flags) {
  if (copyFails || arrowShown == nullptr) return nullptr;
  HANDLE copy = sourceShows ? CopyIcon(sourceShows) : CopyImage(image, type, width, height, flags);
  calls.push_back({L"CopyImage", std::to_wstring(flags), static_cast<HCURSOR>(copy)});
  return copy;
}
HCURSOR WINAPI RecordLoadCursor(HINSTANCE, LPCWSTR name) {
  HCURSOR shared = arrowShown ? arrowShown : reinterpret_cast<HCURSOR>(UINT_PTR{0xA770});
  calls.push_back({L"LoadCursor", std::to_wstring(reinterpret_cast<UINT_PTR>(name)), shared});
  return shared;
}
BOOL WINAPI RecordDestroyCursor(HCURSOR cursor) {
  calls.push_back({L"DestroyCursor", L"", cursor});
  return TRUE;
}
BOOL WINAPI RecordSystemParametersInfo(UINT action, UINT, PVOID, UINT) {
  calls.push_back({L"SystemParametersInfo", std::to_wstring(action), nullptr});
  return TRUE;
}

// A key that stands in for HKCU while a test gives the user's cursor scheme.
constexpr wchar_t kStandIn[] = L"Software\\Kavolt tests";

std::vector<std::wstring> Names(const std::vector<Call>& made) {
  std::vector<std::wstring> names;
  for (const Call& call : made) names.push_back(call.what);
  return names;
}

class CursorSwap : public ::testing::Test {
 protected:
  void SetUp() override {
    UseCursorCalls({RecordSetSystemCursor, RecordLoadCursorFromFile, RecordCopyIcon,
                    RecordCopyImage, RecordLoadCursor, RecordDestroyCursor,
                    RecordSystemParametersInfo});
    folder_ = fs::path(ExecutableFolder()) / L"cursor";
    fs::create_directories(folder_);
    SetEnvironmentVariableW(L"KAVOLT_TEST_CURSORS", folder_.c_str());
    TakeArrowCopy();
    calls.clear();
    loadFails = false;
    loadForReal = false;
  }
  void TearDown() override {
    systemRefuses = copyFails = refuseOnce = schemeFileFails = false;
    arrowShown = sourceShows = nullptr;
    RestoreArrowCursor();
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, kStandIn);
    UseCursorCalls(RealCursorCalls());
    for (const auto& entry : fs::directory_iterator(folder_)) {
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(folder_);
  }

  fs::path MakeFile(const wchar_t* name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    const fs::path path = folder_ / name;
    CopyFileW(ShippedCursor(L"set.cur").c_str(), path.c_str(), FALSE);
    SetFileAttributesW(path.c_str(), attributes);
    return path;
  }

  static fs::path ShippedCursor(const wchar_t* name) {
    return fs::path(KAVOLT_SOURCE_DIR) / L"cursor" / name;
  }

  fs::path folder_;
};

TEST_F(CursorSwap, LoadsTheFileBesideTheExecutableAndHandsItToTheSystem) {
  const fs::path file = MakeFile(L"set.cur");
  SwapArrowCursor(L"cursor\\set.cur");
  ASSERT_EQ(Names(calls), (std::vector<std::wstring>{L"LoadCursorFromFile", L"LoadCursor",
                                                     L"CopyIcon", L"DestroyCursor",
                                                     L"SetSystemCursor"}));
  EXPECT_EQ(calls[0].argument, ExecutableFolder() + L"\\cursor\\set.cur");
  EXPECT_EQ(calls[4].argument, std::to_wstring(OCR_NORMAL));
  EXPECT_EQ(calls[4].cursor, calls[0].cursor);
  EXPECT_EQ(SavedArrowCursor(), calls[2].cursor) << "copied just before the swap";
}

TEST_F(CursorSwap, OnlyNormalFilesCount) {
  MakeFile(L"hidden.cur", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(L"system.cur", FILE_ATTRIBUTE_SYSTEM);
  MakeFile(L"readonly.cur", FILE_ATTRIBUTE_READONLY);
  MakeFile(L"archive.cur", FILE_ATTRIBUTE_ARCHIVE);
  fs::create_directories(folder_ / L"folder.cur");

  const struct {
    const wchar_t* name;
    bool swaps;
  } cases[] = {{L"cursor\\missing.cur", false}, {L"cursor\\hidden.cur", false},
               {L"cursor\\system.cur", false},  {L"cursor\\folder.cur", false},
               {L"cursor\\readonly.cur", true}, {L"cursor\\archive.cur", true}};
  for (const auto& c : cases) {
    calls.clear();
    SwapArrowCursor(c.name);
    const bool swapped = !calls.empty() && calls.back().what == L"SetSystemCursor";
    EXPECT_EQ(swapped, c.swaps) << c.name;
  }
}

TEST_F(CursorSwap, AFileThatDoesNotLoadChangesNothing) {
  MakeFile(L"set.cur");
  loadFails = true;
  SwapArrowCursor(L"cursor\\set.cur");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].what, L"LoadCursorFromFile");
}

enum class Step { kSet, kRelease, kRestore, kRefuseNext, kSchemeFileFails };

// What the system arrow becomes for a sequence of the program's calls: a line for a real
// change only, every copy taken of the user's arrow, and no cursor lost on the way.
TEST_F(CursorSwap, TheArrowChangesOnlyWhenKavoltSwappedIt) {
  MakeFile(L"set.cur");
  MakeFile(L"reset.cur");
  const UniqueCursor scheme(LoadCursorFromFileW(MakeFile(L"arrow.cur").c_str()));
  const UniqueCursor other(LoadCursorFromFileW(MakeFile(L"other.cur").c_str()));
  const HCURSOR arrow = scheme.get(), hand = LoadCursorW(nullptr, IDC_HAND);
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, kStandIn, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  const UniqueKey standIn(key);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, standIn.get()), ERROR_SUCCESS);
  // The user's scheme names arrow.cur for the arrow; the rows differ in what the arrow shows.
  constexpr wchar_t kArrow[] = L"%KAVOLT_TEST_CURSORS%\\arrow.cur";
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Cursors", L"Arrow", REG_EXPAND_SZ, kArrow,
                  sizeof(kArrow));
  using enum Step;
  const struct {
    const char* what;
    std::vector<Step> steps;
    std::vector<std::wstring> arrows;
    HCURSOR shows = nullptr;  // the arrow's picture at the swap; nullptr: none to read
    HCURSOR sourceShows = nullptr;
  } cases[] = {
      {"an idle press and an idle close", {kRestore, kRestore}, {}},
      {"armed, then a pick and the idle option", {kSet, kRestore, kRestore},
       {L"set.cur", L"copy"}},
      {"a mode switch puts back, then copies", {kSet, kRelease, kRestore},
       {L"set.cur", L"copy", L"reset.cur", L"copy"}},
      {"armed twice", {kRelease, kRestore, kSet, kRestore},
       {L"reset.cur", L"copy", L"set.cur", L"copy"}},
      {"the scheme's arrow", {kSet, kRestore}, {L"set.cur", L"arrow.cur"}, arrow},
      {"the system's arrow, from its source", {kSet, kRestore}, {L"set.cur", L"source copy"},
       hand},
      {"an arrow whose source shows another", {kSet, kRestore}, {L"set.cur", L"copy"}, hand,
       other.get()},
      {"a scheme file that does not load", {kSchemeFileFails, kSet, kRestore},
       {L"set.cur", L"source copy"}, arrow},
      {"refused, then the close", {kSet, kRefuseNext, kRestore, kRestore}, {L"set.cur", L"copy"}},
      {"refused, then the other mode", {kSet, kRefuseNext, kRelease, kRestore},
       {L"set.cur", L"reset.cur", L"copy"}},
  };
  for (const auto& c : cases) {
    arrowShown = c.shows;
    sourceShows = c.sourceShows;
    std::map<HCURSOR, std::wstring> ours{{SavedArrowCursor(), L"copy"}};  // not handed on
    calls.clear();
    for (const Step step : c.steps) {
      if (step == kRestore) {
        RestoreArrowCursor();
      } else if (step == kSet || step == kRelease) {
        SwapArrowCursor(step == kSet ? L"cursor\\set.cur" : L"cursor\\reset.cur");
      } else {
        (step == kRefuseNext ? refuseOnce : schemeFileFails) = true;
      }
    }
    std::vector<std::wstring> arrows;
    for (const Call& call : calls) {
      if (call.what == L"CopyIcon" || call.what == L"CopyImage") {
        EXPECT_TRUE(arrows.empty() || arrows.back().ends_with(L"copy"))
            << c.what << ": a copy of ours";
        ours[call.cursor] = call.what == L"CopyIcon" ? L"copy" : L"source copy";
      } else if (call.what == L"LoadCursorFromFile") {
        ours[call.cursor] = fs::path(call.argument).filename().wstring();
      } else if (call.what == L"SetSystemCursor" || call.what == L"DestroyCursor") {
        const auto handedOn = ours.find(call.cursor);
        ASSERT_NE(handedOn, ours.end()) << c.what << ": not ours, or handed on twice";
        if (call.what == L"SetSystemCursor") arrows.push_back(handedOn->second);
        ours.erase(handedOn);
      }
    }
    EXPECT_EQ(arrows, c.arrows) << c.what;
    ours.erase(nullptr);
    EXPECT_EQ(ours.size(), SavedArrowCursor() == nullptr ? 0u : 1u) << c.what << ": a leak";
  }
}

TEST_F(CursorSwap, NeverLosesACursorItCannotHandOver) {
  MakeFile(L"set.cur");
  systemRefuses = true;
  SwapArrowCursor(L"cursor\\set.cur");
  RestoreArrowCursorIfSwapped();  // a refused swap left nothing to put back
  RestoreArrowCursor();
  EXPECT_EQ(Names(calls), (std::vector<std::wstring>{L"LoadCursorFromFile", L"LoadCursor",
                                                     L"CopyIcon", L"DestroyCursor",
                                                     L"SetSystemCursor", L"DestroyCursor"}));
  EXPECT_EQ(calls[5].cursor, calls[0].cursor) << "the refused file cursor is destroyed";

  // A put-back the system refuses keeps the copy and the swap: the crash guard tries again.
  systemRefuses = false;
  SwapArrowCursor(L"cursor\\set.cur");
  const HCURSOR saved = SavedArrowCursor();
  systemRefuses = true;
  calls.clear();
  RestoreArrowCursor();
  systemRefuses = false;
  RestoreArrowCursorIfSwapped();
  EXPECT_EQ(Names(calls), (std::vector<std::wstring>{L"SetSystemCursor", L"SetSystemCursor"}));
  EXPECT_EQ(calls[1].cursor, saved);

  // Without a copy (the system would not copy the arrow) nothing is swapped.
  systemRefuses = false;
  copyFails = true;
  calls.clear();
  SwapArrowCursor(L"cursor\\set.cur");
  EXPECT_EQ(Names(calls), (std::vector<std::wstring>{L"LoadCursorFromFile", L"LoadCursor",
                                                     L"CopyIcon", L"DestroyCursor"}));
  EXPECT_EQ(calls[3].cursor, calls[0].cursor);
  calls.clear();
  RestoreArrowCursorIfSwapped();
  EXPECT_TRUE(calls.empty());
}

TEST_F(CursorSwap, AnArrowLeftByAKilledRunGivesWayToTheUsersScheme) {
  for (const wchar_t* name : {L"set.cur", L"reset.cur"}) {
    CopyFileW(ShippedCursor(name).c_str(), (folder_ / name).c_str(), FALSE);
  }
  const UniqueCursor set(LoadCursorFromFileW(ShippedCursor(L"set.cur").c_str()));
  const UniqueCursor reset(LoadCursorFromFileW(ShippedCursor(L"reset.cur").c_str()));
  const struct {
    const wchar_t* arrow;
    HCURSOR shows;
    bool reloads;
  } cases[] = {{L"set.cur", set.get(), true},
               {L"reset.cur", reset.get(), true},
               {L"the standard arrow", LoadCursorW(nullptr, IDC_ARROW), false},
               {L"another program's cursor", LoadCursorW(nullptr, IDC_HAND), false}};
  for (const auto& c : cases) {
    arrowShown = c.shows;
    calls.clear();
    PutBackArrowLeftByKavolt({L"cursor\\set.cur", L"cursor\\reset.cur"});
    const bool reloaded = !calls.empty() && calls.back().what == L"SystemParametersInfo" &&
                          calls.back().argument == std::to_wstring(SPI_SETCURSORS);
    EXPECT_EQ(reloaded, c.reloads) << c.arrow;
  }
}

TEST_F(CursorSwap, OnlyASwappedArrowIsRestoredAfterACrash) {
  RestoreArrowCursorIfSwapped();
  EXPECT_TRUE(calls.empty());
  MakeFile(L"set.cur");
  SwapArrowCursor(L"cursor\\set.cur");
  const HCURSOR saved = SavedArrowCursor();
  calls.clear();
  RestoreArrowCursorIfSwapped();
  // The saved copy and nothing else: a new copy would need the heap of a dying process.
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].what, L"SetSystemCursor");
  EXPECT_EQ(calls[0].cursor, saved);
  calls.clear();
  RestoreArrowCursorIfSwapped();
  EXPECT_TRUE(calls.empty());
}

TEST_F(CursorSwap, TheShippedCursorsLoad) {
  loadForReal = true;
  for (const wchar_t* name : {L"set.cur", L"reset.cur"}) {
    CopyFileW(ShippedCursor(name).c_str(), (folder_ / name).c_str(), FALSE);
    calls.clear();
    SwapArrowCursor(std::wstring(L"cursor\\") + name);
    ASSERT_EQ(calls.back().what, L"SetSystemCursor")
        << "the shipped cursor does not load: " << ShippedCursor(name);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(calls[0].cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 0u);
    EXPECT_EQ(info.yHotspot, 0u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyCursor(calls[0].cursor);  // never reached the real system: ours to destroy
  }
}

}  // namespace
}  // namespace kavolt

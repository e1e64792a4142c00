#include "launcher/path_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kavolt {
namespace {

// Stands in for the file system: known folders and files, and a canonicaliser that
// drops "." and ".." steps the way Windows does, never climbing above the root
// ("X:" or "\\server\share") and without any length limit.
class FakePlatform {
 public:
  std::set<std::wstring> folders{L"C:\\Tools", L"C:\\", L"\\\\server\\share\\tools"};
  std::set<std::wstring> files{L"C:\\Tools\\kavolt.exe"};
  bool canonicalizeWorks = true;
  std::vector<std::wstring> canonicalized;  // every path handed to the canonicaliser

  PathQuestions Questions() {
    return {[this](const std::wstring& path) -> std::optional<bool> {
              if (folders.contains(path)) return true;
              if (files.contains(path)) return false;
              return std::nullopt;
            },
            [this](const std::wstring& path) -> std::optional<std::wstring> {
              canonicalized.push_back(path);
              if (!canonicalizeWorks) return std::nullopt;
              return Canonical(path);
            }};
  }

 private:
  static std::wstring Canonical(const std::wstring& path) {
    std::vector<std::wstring> parts;
    for (size_t start = 0;;) {
      const size_t end = path.find(L'\\', start);
      parts.push_back(path.substr(start, end - start));
      if (end == std::wstring::npos) break;
      start = end + 1;
    }
    // "\\server\share\..." splits into "", "", "server", "share", ...
    const size_t rootParts = path.starts_with(L"\\\\") ? 4 : 1;
    std::vector<std::wstring> kept;
    for (size_t i = rootParts; i < parts.size(); ++i) {
      if (parts[i] == L".") continue;
      if (parts[i] == L"..") {
        if (!kept.empty()) kept.pop_back();
        continue;
      }
      kept.push_back(parts[i]);
    }
    std::wstring result;
    for (size_t i = 0; i < rootParts && i < parts.size(); ++i) result += (i ? L"\\" : L"") + parts[i];
    for (const auto& part : kept) result += L"\\" + part;
    return result;
  }
};

struct ResolveCase {
  const wchar_t* item;
  const wchar_t* base;
  std::optional<std::wstring> path;
};

TEST(ResolvePath, FollowsTheRulesInOrder) {
  const ResolveCase cases[] = {
      {L"x.txt", L"C:\\Tools", L"C:\\Tools\\x.txt"},
      {L".\\x.txt", L"C:\\Tools", L"C:\\Tools\\x.txt"},
      {L"sub\\..\\x.txt", L"C:\\Tools", L"C:\\Tools\\x.txt"},
      {L"..\\x.txt", L"C:\\Tools", L"C:\\x.txt"},
      {L"\"C:\\a b\\x.txt\"", L"C:\\Tools", L"\"C:\\a b\\x.txt\""},
      {L"D:\\x.txt", L"C:\\Tools", L"D:\\x.txt"},
      {L"\\\\server\\share\\x.txt", L"C:\\Tools", L"\\\\server\\share\\x.txt"},
      {L"\\x.txt", L"C:\\Tools", L"C:\\Tools\\\\x.txt"},
      {L"\"C:\\a b", L"C:\\Tools", L"\"C:\\a b"},
      {L"  \"C:\\a b ", L"C:\\Tools", L"  \"C:\\a b "},
      {L"\"\"", L"C:\\Tools", L"C:\\Tools\\"},
      {L"", L"C:\\Tools", L"C:\\Tools\\"},
      {L"my file.txt", L"C:\\Tools", L"\"C:\\Tools\\my file.txt\""},
      {L"  \"x y\"  ", L"C:\\Tools", L"\"C:\\Tools\\x y\""},
      {L" x.txt", L"C:\\Tools", L"\"C:\\Tools\\ x.txt\""},  // unquoted items stay untrimmed
      {L"\"a b\\..\\c d.txt\"", L"C:\\Tools", L"\"C:\\Tools\\c d.txt\""},
      {L"./x.txt", L"C:\\Tools", L"C:\\Tools\\./x.txt"},
      {L"..\\..\\..\\x.txt", L"C:\\Tools", L"C:\\x.txt"},
      // Absolute paths that climb are canonicalised on their own.
      {L"C:\\a\\..\\b.txt", L"C:\\Tools", L"C:\\b.txt"},
      {L"\"C:\\a b\\..\\c.txt\"", L"C:\\Tools", L"C:\\c.txt"},
      {L"\\\\server\\share\\a\\..\\b.txt", L"C:\\Tools", L"\\\\server\\share\\b.txt"},
      // A base that is a drive root gets a second backslash, as any folder does.
      {L"x.txt", L"C:\\", L"C:\\\\x.txt"},
      {L".\\x.txt", L"C:\\", L"C:\\\\x.txt"},
      {L"..\\x.txt", L"C:\\", L"C:\\x.txt"},
      {L"D:\\x.txt", L"C:\\", L"D:\\x.txt"},
      {L"x.txt", L"\\\\server\\share\\tools", L"\\\\server\\share\\tools\\x.txt"},
      {L"..\\..\\x.txt", L"\\\\server\\share\\tools", L"\\\\server\\share\\x.txt"},
      // A base that is a file gets no backslash.
      {L"x.txt", L"C:\\Tools\\kavolt.exe", L"C:\\Tools\\kavolt.exex.txt"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    EXPECT_EQ(ResolvePath(c.item, c.base, platform.Questions()), c.path)
        << "item " << testing::PrintToString(std::wstring(c.item)) << " base "
        << testing::PrintToString(std::wstring(c.base));
  }
}

TEST(ResolvePath, CanonicalisesRelativeItemsBehindTheBaseAndAbsoluteOnesAlone) {
  FakePlatform platform;
  ASSERT_TRUE(ResolvePath(L"a\\..\\x.txt", L"C:\\Tools", platform.Questions()));
  ASSERT_TRUE(ResolvePath(L"C:\\a\\..\\x.txt", L"C:\\Tools", platform.Questions()));
  ASSERT_TRUE(ResolvePath(L"\\\\s\\h\\..\\x", L"C:\\Tools", platform.Questions()));
  EXPECT_EQ(platform.canonicalized,
            (std::vector<std::wstring>{L"C:\\Tools\\a\\..\\x.txt", L"C:\\a\\..\\x.txt",
                                       L"\\\\s\\h\\..\\x"}));
}

TEST(ResolvePath, FailsCleanly) {
  FakePlatform platform;
  const PathQuestions questions = platform.Questions();
  // A lone quote.
  EXPECT_EQ(ResolvePath(L"\"", L"C:\\Tools", questions), std::nullopt);
  EXPECT_EQ(ResolvePath(L"  \"  ", L"C:\\Tools", questions), std::nullopt);
  // A base that cannot be asked about, whatever the item's form.
  for (const wchar_t* item : {L"x.txt", L"D:\\x.txt", L"..\\x.txt", L"\"a b\""})
    EXPECT_EQ(ResolvePath(item, L"C:\\Missing", questions), std::nullopt) << item;
  // ...except an item handed back as it is, which never needs the base.
  EXPECT_EQ(ResolvePath(L"\"C:\\a b", L"C:\\Missing", questions), L"\"C:\\a b");
  // A canonicaliser that gives up fails only the items that climb.
  platform.canonicalizeWorks = false;
  EXPECT_EQ(ResolvePath(L"..\\x.txt", L"C:\\Tools", questions), std::nullopt);
  EXPECT_EQ(ResolvePath(L"C:\\a\\..\\x.txt", L"C:\\Tools", questions), std::nullopt);
  EXPECT_EQ(ResolvePath(L"x.txt", L"C:\\Tools", questions), L"C:\\Tools\\x.txt");
}

TEST(ResolvePath, KeepsLongPathsWhole) {
  // A base folder well past 260 characters: 50 folders of 9 characters behind "C:".
  std::wstring base = L"C:";
  for (int i = 0; i < 50; ++i) base += L"\\folder" + std::to_wstring(10 + i);
  ASSERT_GT(base.size(), 400u);
  FakePlatform platform;
  platform.folders.insert(base);
  const PathQuestions questions = platform.Questions();

  EXPECT_EQ(ResolvePath(L"x.txt", base, questions), base + L"\\x.txt");
  EXPECT_EQ(ResolvePath(L".\\x.txt", base, questions), base + L"\\x.txt");
  const std::wstring parent = base.substr(0, base.rfind(L'\\'));
  EXPECT_EQ(ResolvePath(L"..\\x.txt", base, questions), parent + L"\\x.txt");
  EXPECT_EQ(ResolvePath(L"my file.txt", base, questions), L"\"" + base + L"\\my file.txt\"");

  const std::wstring absolute = L"D" + base.substr(1) + L"\\x.txt";
  EXPECT_EQ(ResolvePath(absolute, L"C:\\Tools", questions), absolute);
  EXPECT_EQ(ResolvePath(absolute + L"\\..\\y.txt", L"C:\\Tools", questions),
            L"D" + base.substr(1) + L"\\y.txt");
}

}  // namespace
}  // namespace kavolt

// The path rules with the platform's own answers, on real folders.
#include "launcher/windows_paths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace kavolt {
namespace {

std::wstring TempFolder() {
  wchar_t path[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, path);
  std::wstring folder(path);
  if (folder.ends_with(L'\\')) folder.pop_back();
  return folder;
}

TEST(WindowsPaths, ResolveAgainstARealFolder) {
  const std::wstring base = TempFolder();
  const auto& platform = WindowsPathQuestions();
  EXPECT_EQ(ResolvePath(L"x.txt", base, platform), base + L"\\x.txt");
  EXPECT_EQ(ResolvePath(L"sub\\..\\x.txt", base, platform), base + L"\\x.txt");
  EXPECT_EQ(ResolvePath(L"C:\\a\\..\\b.txt", base, platform), L"C:\\b.txt");
  EXPECT_EQ(ResolvePath(L"\\\\server\\share\\a\\..\\b.txt", base, platform),
            L"\\\\server\\share\\b.txt");
  EXPECT_EQ(ResolvePath(L"x.txt", base + L"\\no such folder", platform), std::nullopt);
}

TEST(WindowsPaths, LongPathsAreCanonicalisedWhole) {
  const std::wstring base = TempFolder();
  std::wstring deep;
  for (int i = 0; i < 40; ++i) deep += L"folder" + std::to_wstring(i) + L"\\";
  const std::wstring item = deep + L"x\\..\\file.txt";
  ASSERT_GT(item.size(), 360u);
  const auto resolved = ResolvePath(item, base, WindowsPathQuestions());
  ASSERT_TRUE(resolved.has_value());
  EXPECT_GT(resolved->size(), size_t{MAX_PATH});
  EXPECT_TRUE(resolved->ends_with(deep + L"file.txt")) << "nothing cut";
  EXPECT_EQ(resolved->find(L".."), std::wstring::npos);
}

}  // namespace
}  // namespace kavolt

#include "launcher/path_rules.h"

#include "launcher/command_rules.h"

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

// ---- Registered commands --------------------------------------------------------

ProgramQuestions ProgramsIn(std::set<std::wstring> files) {
  return {[files](const std::wstring& path) { return files.contains(path); },
          {L"C:\\WINDOWS\\system32", L"C:\\WINDOWS", L"D:\\bin"}};
}

TEST(SplitRegisteredCommand, FindsOnlyTheProgramTheCommandMeans) {
  const ProgramQuestions platform = ProgramsIn({
      L"C:\\Program.exe", L"C:\\My.exe", L"C:\\Program Files\\App\\app.exe",
      L"C:\\Program Files\\App\\app.exe x", L"C:\\WINDOWS\\regedit.exe",
      L"C:\\WINDOWS\\system32\\rundll32.exe", L"D:\\bin\\tool.com", L"D:\\bin\\plain",
      L"C:\\My App\\my app.exe"});
  const struct {
    const wchar_t* command;
    std::optional<RegisteredCommand> split;
  } cases[] = {
      {L"\"C:\\Program Files\\App\\app.exe\" \"%1\"",
       RegisteredCommand{L"C:\\Program Files\\App\\app.exe", L" \"%1\""}},
      // Unquoted: the shortest prefix that is a file, exactly as written ("C:\Program" is
      // never tried as "C:\Program.exe").
      {L"  C:\\Program Files\\App\\app.exe x %1 ",
       RegisteredCommand{L"C:\\Program Files\\App\\app.exe", L" x %1"}},
      {L"C:\\My App\\my app.exe  /s", RegisteredCommand{L"C:\\My App\\my app.exe", L"  /s"}},
      {L"C:\\My App\\my app.exe", RegisteredCommand{L"C:\\My App\\my app.exe", L""}},
      {L"C:\\My  App\\my app.exe", std::nullopt},
      // Bare names from the search folders, in order; ".exe" only for a name without type.
      {L"regedit.exe \"%1\"", RegisteredCommand{L"C:\\WINDOWS\\regedit.exe", L" \"%1\""}},
      {L"rundll32 ieframe.dll,OpenURL %l",
       RegisteredCommand{L"C:\\WINDOWS\\system32\\rundll32.exe", L" ieframe.dll,OpenURL %l"}},
      {L"\"tool.com\"%1", RegisteredCommand{L"D:\\bin\\tool.com", L"%1"}},
      {L"plain", RegisteredCommand{L"D:\\bin\\plain", L""}},
      {L"missing.exe %1", std::nullopt},
      {L"tool %1", std::nullopt},
      // Relative, drive-relative and unfinished programs are never guessed at.
      {L"bin\\tool.com %1", std::nullopt},
      {L"\\Program %1", std::nullopt},
      {L"C:Program %1", std::nullopt},
      {L"\"C:\\Program Files\\App\\app.exe %1", std::nullopt},
      {L"C:\\Program\"x %1", std::nullopt},
      {L"%1", std::nullopt},
      {L"\"\" %1", std::nullopt},
      {L"   ", std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<RegisteredCommand> split = SplitRegisteredCommand(c.command, platform);
    ASSERT_EQ(split.has_value(), c.split.has_value()) << testing::PrintToString(std::wstring(c.command));
    if (!split) continue;
    EXPECT_EQ(split->program, c.split->program) << testing::PrintToString(std::wstring(c.command));
    EXPECT_EQ(split->arguments, c.split->arguments) << testing::PrintToString(std::wstring(c.command));
  }
}

TEST(DocumentCommandLine, PutsTheQuotedDocumentInItsPlaceholders) {
  const struct {
    const wchar_t* arguments;
    const wchar_t* document;
    const wchar_t* line;  // nullptr: no line
  } cases[] = {
      {L" \"%1\"", L"c:\\in\\a&b.kvt", L"\"C:\\p.exe\" \"c:\\in\\a&b.kvt\""},
      {L" /open --mode=view \"%1\"", L"c:\\x.kvt", L"\"C:\\p.exe\" /open --mode=view \"c:\\x.kvt\""},
      {L" %1 /s", L"c:\\x.kvt", L"\"C:\\p.exe\" \"c:\\x.kvt\" /s"},
      {L" ieframe.dll,OpenURL %l", L"c:\\evil.dll,run.url",
       L"\"C:\\p.exe\" ieframe.dll,OpenURL \"c:\\evil.dll,run.url\""},
      {L" \"/file=%L\" %*", L"c:\\a b.kvt", L"\"C:\\p.exe\" \"/file=c:\\a b.kvt\" "},
      {L" %1 %2 %9 %1", L"c:\\x.kvt", L"\"C:\\p.exe\" \"c:\\x.kvt\"   \"c:\\x.kvt\""},
      // Every name of the document filled, every other placeholder dropped, "%%" text.
      {L" /a %0 /b \"%V\" /c %I", L"c:\\a b.kvt",
       L"\"C:\\p.exe\" /a \"c:\\a b.kvt\" /b \"c:\\a b.kvt\" /c "},
      {L" %v %D%S%H%W%~ %* %%1 %é", L"c:\\x.kvt", L"\"C:\\p.exe\" \"c:\\x.kvt\"   %%1 %é"},
      {L" 100% %d %", L"c:\\x.kvt", L"\"C:\\p.exe\" 100%  % c:\\x.kvt"},
      // Backslashes before the document's quote keep their meaning; a quote right after
      // it would be read as text, and the rest of the command with it.
      {L" /d=\\%1 \\\\%1", L"c:\\x", L"\"C:\\p.exe\" /d=\\\\\"c:\\x\" \\\\\\\\\"c:\\x\""},
      {L" %1\"x %1\"", L"c:\\x.kvt", nullptr},
      // Programs read a run of quotes two ways, and since 2008 take the program's name on
      // to the first blank: only an empty argument "" is read one way.
      {L" \"\" %1\t\"\"", L"c:\\a b.kvt", L"\"C:\\p.exe\" \"\" \"c:\\a b.kvt\"\t\"\""},
      {L" \"\"\" %1", L"c:\\a b.kvt", nullptr},
      {L" \"a \"\" b\" %1", L"c:\\x.kvt", nullptr},
      {L" x\"\" %1", L"c:\\x.kvt", nullptr},
      {L" \"\"x %1", L"c:\\x.kvt", nullptr},
      {L"\"%1\"", L"c:\\x.kvt", nullptr},
      {L"x %1", L"c:\\x.kvt", nullptr},
      // No placeholder: the document goes last, quoted when cmd.exe could misread it.
      {L"", L"c:\\x.kvt", L"\"C:\\p.exe\" c:\\x.kvt"},
      {L" /s", L"c:\\a b.kvt", L"\"C:\\p.exe\" /s \"c:\\a b.kvt\""},
  };
  for (const auto& c : cases) {
    const auto line = c.line ? std::optional<std::wstring>(c.line) : std::nullopt;
    EXPECT_EQ(DocumentCommandLine({L"C:\\p.exe", c.arguments}, c.document), line)
        << testing::PrintToString(std::wstring(c.arguments));
  }
  for (const wchar_t* special : {L" ", L"&", L"|", L"<", L">", L"^", L"(", L")", L"%", L"!", L",",
                                 L";", L"="}) {
    const std::wstring name = std::wstring(L"c:\\a") + special + L"b.kvt";
    EXPECT_EQ(QuotedForCommandLine(name), L"\"" + name + L"\"") << name;
  }
  EXPECT_EQ(QuotedForCommandLine(L"c:\\日本語\\a-b_c+d.kvt"), L"c:\\日本語\\a-b_c+d.kvt");
}

TEST(SearchPathFolders, KeepsOnlyFullyQualifiedFolders) {
  EXPECT_EQ(SearchPathFolders(L"C:\\a;;.; bin ;\"C:\\Program Files\\x\\\";C:;C:\\;\\\\s\\h\\;D:\\b\\\\"),
            (std::vector<std::wstring>{L"C:\\a", L"C:\\Program Files\\x", L"C:",
                                       L"\\\\s\\h", L"D:\\b"}));
  EXPECT_EQ(SearchPathFolders(L""), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace kavolt

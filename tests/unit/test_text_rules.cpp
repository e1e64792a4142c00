#include "launcher/text_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kavolt {
namespace {

struct SplitCase {
  const wchar_t* text;
  std::vector<std::wstring> items;
};

TEST(SplitCommandLine, CutsAtSpacesOutsideQuotesAndKeepsEverythingElse) {
  const SplitCase cases[] = {
      {L"notepad \"C:\\a b\\x.txt\"", {L"notepad", L"\"C:\\a b\\x.txt\""}},
      {L"a  b", {L"a", L"", L"b"}},
      {L" a ", {L"", L"a", L""}},
      {L"", {}},
      {L" ", {L"", L""}},
      // A question mark is an ordinary character, inside quotes as well.
      {L"a?b c", {L"a?b", L"c"}},
      {L"\"http://h/p?q=1 2\" x?", {L"\"http://h/p?q=1 2\"", L"x?"}},
      {L"\"a b\"c d\"e f\"", {L"\"a b\"c", L"d\"e f\""}},
      {L"\"a b", {L"\"a b"}},
      {L"\"", {L"\""}},
      {L"\"   ", {L"\"   "}},
      {L"x\ty", {L"x\ty"}},
      {L"\u65e5\u672c \"\u8a9e \u6587\"", {L"\u65e5\u672c", L"\"\u8a9e \u6587\""}},
  };
  for (const auto& c : cases) {
    const std::vector<std::wstring> items = SplitCommandLine(c.text);
    EXPECT_EQ(items, c.items) << c.text;
    std::wstring joined;
    for (size_t i = 0; i < items.size(); ++i) joined += (i ? L" " : L"") + items[i];
    EXPECT_EQ(joined, c.text) << "items must rejoin to the text";
  }
}

struct StripCase {
  const wchar_t* text;
  std::optional<std::wstring> result;
  const wchar_t* trimmedText;  // the caller's text afterwards
};

TEST(StripQuotes, TrimsTheCallersTextAndRemovesOnePair) {
  const StripCase cases[] = {
      {L"  \"x y\"  ", L"x y", L"\"x y\""},
      {L"\"\"", L"", L"\"\""},
      {L"\"x\"\"", L"x\"", L"\"x\"\""},
      {L"\"x", L"\"x", L"\"x"},
      {L"x\"", L"x\"", L"x\""},
      {L"", L"", L""},
      {L"\t\"x\"\t", L"\t\"x\"\t", L"\t\"x\"\t"},
      {L"\"", std::nullopt, L"\""},
      {L"  \"  ", std::nullopt, L"\""},
  };
  for (const auto& c : cases) {
    std::wstring text = c.text;
    EXPECT_EQ(StripQuotes(text), c.result) << c.text;
    EXPECT_EQ(text, c.trimmedText) << c.text;
  }
}

struct QuoteCase {
  const wchar_t* text;
  const wchar_t* result;
  const wchar_t* trimmedText;
};

TEST(EnsureQuoted, TrimsTheCallersTextAndQuotesItOnce) {
  const QuoteCase cases[] = {
      {L" x y ", L"\"x y\"", L"x y"},
      {L"\"x y\"", L"\"x y\"", L"\"x y\""},
      {L"  \"x y\" ", L"\"x y\"", L"\"x y\""},
      {L"", L"\"\"", L""},
      {L"   ", L"\"\"", L""},
      {L"\"", L"\"", L"\""},
      {L"\"x", L"\"\"x\"", L"\"x"},
  };
  for (const auto& c : cases) {
    std::wstring text = c.text;
    EXPECT_EQ(EnsureQuoted(text), c.result) << c.text;
    EXPECT_EQ(text, c.trimmedText) << c.text;
  }
}

struct ExtensionCase {
  const wchar_t* text;
  std::optional<std::wstring> extension;
};

TEST(FileExtension, TakesTheLastDotOfTheLastComponent) {
  const ExtensionCase cases[] = {
      {L"\"c:\\a b\\x.txt\"", L".txt"},
      {L"c:\\users\\first.last\\a.txt", L".txt"},
      {L"c:\\tools\\my.app\\x.txt", L".txt"},
      {L"archive.tar.gz", L".gz"},
      {L"readme", L""},
      {L"c:\\my.dir\\readme", L""},
      {L"c:/my.dir/readme", L""},
      {L"c:\\a.b\\", L""},
      {L"c:\\tools\\.profile", L".profile"},
      {L"x.", L"."},
      {L"  x.TXT  ", L".TXT"},
      {L"\"c:\\a b\\x.txt", L".txt"},
      {L"\"\"", L""},
      {L"", L""},
      {L"\"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(FileExtension(c.text), c.extension) << c.text;
}

struct TokenCase {
  const wchar_t* command;
  const wchar_t* token;
};

TEST(FirstToken, QuotedUpToTheClosingQuoteElseUpToTheFirstSpace) {
  const TokenCase cases[] = {
      {L"\"C:\\Program Files\\App\\app.exe\" \"%1\"", L"\"C:\\Program Files\\App\\app.exe\""},
      {L"%SystemRoot%\\system32\\NOTEPAD.EXE %1", L"%SystemRoot%\\system32\\NOTEPAD.EXE"},
      {L"\"%1\" %*", L"\"%1\""},
      {L"\"a b\"c d", L"\"a b\""},
      {L"\"abc", L"\"abc"},
      {L"  app  ", L"app"},
      {L"app\t-x", L"app\t-x"},
      {L"\"", L"\""},
      {L"\"\"", L"\"\""},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(FirstToken(c.command), c.token) << c.command;
}

TEST(FirstToken, HasNoLengthLimit) {
  const std::wstring program(40000, L'p');
  EXPECT_EQ(FirstToken(program + L" %1"), program);
  EXPECT_EQ(FirstToken(L"\"" + program + L"\" %1"), L"\"" + program + L"\"");
}

TEST(Trim, RemovesSpacesOnly) {
  EXPECT_EQ(Trim(L"  a b  "), L"a b");
  EXPECT_EQ(Trim(L"\t a \t"), L"\t a \t");
  EXPECT_EQ(Trim(L"   "), L"");
  EXPECT_EQ(Trim(L"\u3000a\u3000"), L"\u3000a\u3000");  // ideographic space stays
}

}  // namespace
}  // namespace kavolt

// The command line for a document, read back both ways programs read one: by
// CommandLineToArgvW's rules (and the C runtime's before 2008) and by the C runtime's
// since 2008. Input: the registered arguments (a blank before them or not), then after a
// U+0000 the document's file name (in a spaced folder, so that a split shows).
//  - The document is read as exactly the arguments the placeholders ask for, never split:
//    each way, the line reads as the line for a one-character stand-in does, the stand-in
//    replaced; both ways read the same, the program first.
//  - No placeholder survives: every "%" of the line is text ("%%" a pair).
//  - Quotes stay balanced: the line ends outside quotes.
#include <cctype>
#include <utility>
#include <vector>

#include "fuzz_input.h"
#include "launcher/command_rules.h"

namespace {

constexpr wchar_t kStandIn = L'\uE000';  // private use: kept out of the input

// The arguments, program first, and whether the line ends inside quotes.
using Reading = std::pair<std::vector<std::wstring>, bool>;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// CommandLineToArgvW: the quoted program, then arguments cut at blanks outside quotes.
// 2n backslashes before a quote give n, and the quote opens or closes; 2n+1 give n and
// the quote as text. In a run of quotes every third is text and leaves them closed.
Reading ReadAsArgvW(const std::wstring& line) {
  const size_t closing = line.find(L'"', 1);
  KAVOLT_CHECK(line.starts_with(L'"') && closing != std::wstring::npos);
  std::vector<std::wstring> argv{line.substr(1, closing - 1)};
  int quotes = 0;  // 1: inside quotes; 2: closing, while the run goes on
  size_t backslashes = 0;
  bool inArgument = false;
  for (size_t at = closing + 1; at < line.size(); ++at) {
    const wchar_t c = line[at];
    if (IsBlank(c) && quotes == 0) {
      inArgument = false;
      backslashes = 0;
      continue;
    }
    if (!std::exchange(inArgument, true)) argv.emplace_back();
    std::wstring& argument = argv.back();
    if (c != L'"') {
      argument += c;
      backslashes = c == L'\\' ? backslashes + 1 : 0;
      continue;
    }
    argument.resize(argument.size() - backslashes / 2);
    if (backslashes % 2 == 0) {
      ++quotes;
    } else {
      argument.back() = L'"';
    }
    backslashes = 0;
    for (; at + 1 < line.size() && line[at + 1] == L'"'; ++at) {
      if (++quotes == 3) {
        argument += L'"';
        quotes = 0;
      }
    }
    if (quotes == 2) quotes = 0;
  }
  return {argv, quotes != 0};
}

// The C runtime since 2008: the program runs to the first blank outside quotes, quotes
// dropped; after it backslashes count as above, and "" inside quotes is a quote that
// stays inside.
Reading ReadAsRuntime(const std::wstring& line) {
  std::vector<std::wstring> argv(1);
  bool inQuotes = false;
  bool inArgument = true;
  size_t backslashes = 0;
  for (size_t at = 0; at < line.size(); ++at) {
    const wchar_t c = line[at];
    if (IsBlank(c) && !inQuotes) {
      inArgument = false;
      backslashes = 0;
      continue;
    }
    if (!std::exchange(inArgument, true)) argv.emplace_back();
    std::wstring& argument = argv.back();
    if (c != L'"') {
      argument += c;
      backslashes = c == L'\\' && argv.size() > 1 ? backslashes + 1 : 0;
      continue;
    }
    argument.resize(argument.size() - backslashes / 2);
    if (backslashes % 2 == 1) {
      argument.back() = L'"';
    } else if (inQuotes && argv.size() > 1 && at + 1 < line.size() && line[at + 1] == L'"') {
      argument += L'"';
      ++at;
    } else {
      inQuotes = !inQuotes;
    }
    backslashes = 0;
  }
  return {argv, inQuotes};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring input = kavolt::fuzz::WideFromBytes(data, size);
  const size_t end = input.find(L'\0');
  const kavolt::RegisteredCommand command{L"C:\\App\\p.exe", input.substr(0, end)};
  if (command.arguments.find(kStandIn) != std::wstring::npos) return 0;
  std::wstring name = end == std::wstring::npos ? L"x" : input.substr(end + 1);
  std::erase_if(name, [](wchar_t c) { return c == L'"' || c < L' ' || c == kStandIn; });
  const std::wstring document = L"C:\\My Files\\" + name + L".kvt";

  const auto line = kavolt::DocumentCommandLine(command, document);
  const auto plain = kavolt::DocumentCommandLine(command, std::wstring(1, kStandIn));
  KAVOLT_CHECK(line.has_value() == plain.has_value());
  if (!line) return 0;
  KAVOLT_CHECK(plain->find(kStandIn) != std::wstring::npos);

  for (const auto read : {ReadAsArgvW, ReadAsRuntime}) {
    const auto [argv, unbalanced] = read(*line);
    auto [expected, plainUnbalanced] = read(*plain);
    KAVOLT_CHECK(!unbalanced && !plainUnbalanced);
    for (std::wstring& argument : expected) {
      for (size_t at = argument.find(kStandIn); at != std::wstring::npos;
           at = argument.find(kStandIn, at + document.size())) {
        argument.replace(at, 1, document);
      }
    }
    KAVOLT_CHECK(argv == expected && argv[0] == command.program);
  }
  KAVOLT_CHECK(ReadAsArgvW(*line) == ReadAsRuntime(*line));

  for (size_t at = plain->find(L'%'); at != std::wstring::npos; at = plain->find(L'%', at + 2)) {
    const wchar_t next = at + 1 < plain->size() ? (*plain)[at + 1] : L' ';
    KAVOLT_CHECK(next != L'*' && next != L'~' && !(next < 128 && std::isalnum(next)));
  }
  return 0;
}

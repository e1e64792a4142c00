#include "launcher/command_rules.h"

#include <algorithm>

#include "launcher/text_rules.h"

namespace kavolt {
namespace {

constexpr wchar_t kQuote = L'"';
constexpr wchar_t kSpace = L' ';

bool IsBareName(std::wstring_view name) {
  return name.find_first_of(L"\\/:") == std::wstring_view::npos;
}

std::optional<std::wstring> FindBareName(const std::wstring& name,
                                         const ProgramQuestions& platform) {
  if (name.empty()) return std::nullopt;
  const std::optional<std::wstring> extension = FileExtension(name);
  const bool addExe = extension && extension->empty();
  for (const std::wstring& folder : platform.searchFolders) {
    std::wstring candidate = folder + L'\\' + name;
    if (platform.isFile(candidate)) return candidate;
    if (addExe && platform.isFile(candidate += L".exe")) return candidate;
  }
  return std::nullopt;
}

std::optional<std::wstring> FindProgram(const std::wstring& name,
                                        const ProgramQuestions& platform) {
  if (IsBareName(name)) return FindBareName(name, platform);
  if (IsFullyQualified(name) && platform.isFile(name)) return name;
  return std::nullopt;
}

enum class Placeholder { kNone, kDocument, kDropped };

bool IsAsciiLetterOrDigit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

Placeholder PlaceholderAt(std::wstring_view text, size_t at) {
  if (text[at] != L'%' || at + 1 >= text.size()) return Placeholder::kNone;
  const wchar_t next = text[at + 1];
  if (std::wstring_view(L"01LlVv").find(next) != std::wstring_view::npos) {
    return Placeholder::kDocument;
  }
  if (next == L'*' || next == L'~' || IsAsciiLetterOrDigit(next)) return Placeholder::kDropped;
  return Placeholder::kNone;
}

bool IsBlank(wchar_t c) { return c == kSpace || c == L'\t'; }

// How a command line's arguments read, one character after another, as long as every
// way of reading them agrees: a quote after an even number of backslashes opens or
// closes the quotes.
class ArgumentReading {
 public:
  void Read(wchar_t c) {
    if (c == kQuote && backslashes_ % 2 == 0) inQuotes_ = !inQuotes_;
    backslashes_ = c == L'\\' ? backslashes_ + 1 : 0;
  }

  bool InQuotes() const { return inQuotes_; }
  size_t TrailingBackslashes() const { return backslashes_; }

 private:
  bool inQuotes_ = false;
  size_t backslashes_ = 0;
};

// Whether programs read the arguments after a quoted program one way. CommandLineToArgvW
// and the C runtime before 2008 take "" inside quotes as a quote that ends them; the C
// runtime since 2008 as a quote that stays inside, and it takes the program's name on to
// the first blank. Of the runs of quotes, only an empty argument "" reads alike.
bool ReadsOneWay(std::wstring_view arguments) {
  if (!arguments.empty() && !IsBlank(arguments.front())) return false;
  ArgumentReading reading;
  for (size_t at = 0; at < arguments.size(); ++at) {
    // The arguments begin with a blank, so a character stands before every run.
    if (arguments.substr(at, 2) == L"\"\"" &&
        (reading.InQuotes() || !IsBlank(arguments[at - 1]) ||
         (at + 2 < arguments.size() && !IsBlank(arguments[at + 2])))) {
      return false;
    }
    reading.Read(arguments[at]);
  }
  return !reading.InQuotes();  // no one can tell where the quote ends
}

}  // namespace

bool NeedsQuotes(std::wstring_view text) {
  return text.find_first_of(L" &|<>^()%!,;=") != std::wstring_view::npos;
}

std::wstring QuotedForCommandLine(std::wstring_view text) {
  return NeedsQuotes(text) ? InQuotes(text) : std::wstring(text);
}

bool IsProgramExtension(std::wstring_view extension) {
  return extension == L".exe" || extension == L".com";
}

bool IsDocumentItself(std::wstring_view command) { return FirstToken(command) == L"\"%1\""; }

std::vector<std::wstring> SearchPathFolders(std::wstring_view pathVariable) {
  std::vector<std::wstring> folders;
  for (size_t start = 0; start <= pathVariable.size();) {
    size_t end = std::min(pathVariable.find(L';', start), pathVariable.size());
    std::wstring entry(pathVariable.substr(start, end - start));
    start = end + 1;
    // "C:" alone, "." or "bin" would be relative to some current folder.
    std::optional<std::wstring> folder = StripQuotes(entry);
    if (folder && IsFullyQualified(*folder)) {
      folders.push_back(WithoutTrailingSeparators(std::move(*folder)));
    }
  }
  return folders;
}

std::optional<RegisteredCommand> SplitRegisteredCommand(std::wstring_view command,
                                                        const ProgramQuestions& platform) {
  const std::wstring trimmed = Trim(command);
  if (trimmed.empty()) return std::nullopt;

  if (trimmed.front() == kQuote) {
    const size_t closing = trimmed.find(kQuote, 1);
    if (closing == std::wstring::npos) return std::nullopt;
    const std::optional<std::wstring> program = FindProgram(trimmed.substr(1, closing - 1), platform);
    if (!program) return std::nullopt;
    return RegisteredCommand{*program, trimmed.substr(closing + 1)};
  }

  const std::wstring firstToken = trimmed.substr(0, trimmed.find(kSpace));
  if (IsBareName(firstToken)) {
    const std::optional<std::wstring> program = FindBareName(firstToken, platform);
    if (!program) return std::nullopt;
    return RegisteredCommand{*program, trimmed.substr(firstToken.size())};
  }
  if (!IsFullyQualified(firstToken)) return std::nullopt;

  // The shortest prefix that is a file: "C:\Program" must not win over the spaced path
  // by being tried as "C:\Program.exe", so names are taken exactly as written.
  const size_t quote = trimmed.find(kQuote);  // no file name holds a quote
  for (size_t end = firstToken.size(); end <= trimmed.size() && end <= quote;) {
    if (trimmed[end - 1] != kSpace) {  // "a  b": "a " is the same file as "a"
      const std::wstring candidate = trimmed.substr(0, end);
      if (platform.isFile(candidate)) return RegisteredCommand{candidate, trimmed.substr(end)};
    }
    if (end == trimmed.size()) break;
    end = std::min(trimmed.find(kSpace, end + 1), trimmed.size());
  }
  return std::nullopt;
}

std::optional<std::wstring> DocumentCommandLine(const RegisteredCommand& command,
                                                std::wstring_view document) {
  const std::wstring_view arguments = command.arguments;
  const std::wstring program = InQuotes(command.program);
  std::wstring line = program;
  ArgumentReading reading;  // the arguments are read afresh after the program
  const auto add = [&](wchar_t c) {
    line += c;
    reading.Read(c);
  };
  bool placed = false;
  for (size_t at = 0; at < arguments.size(); ++at) {
    const Placeholder placeholder = PlaceholderAt(arguments, at);
    if (placeholder == Placeholder::kDropped) {
      ++at;
      continue;
    }
    if (placeholder == Placeholder::kDocument) {
      ++at;
      placed = true;
      if (reading.InQuotes()) {  // "%1": the path needs no quotes of its own
        for (const wchar_t c : document) add(c);
        continue;
      }
      for (size_t n = reading.TrailingBackslashes(); n > 0; --n) add(L'\\');
      add(kQuote);
      for (const wchar_t c : document) add(c);
      add(kQuote);
      continue;
    }
    add(arguments[at]);
    // "%%" is text: its second "%" starts no placeholder.
    if (arguments[at] == L'%' && at + 1 < arguments.size()) add(arguments[++at]);
  }
  // A quoted document that touches another quote makes a run of quotes, and is refused
  // with them.
  if (!ReadsOneWay(std::wstring_view(line).substr(program.size()))) return std::nullopt;
  if (!placed) {
    line += kSpace;
    line += QuotedForCommandLine(document);
  }
  return line;
}

}  // namespace kavolt

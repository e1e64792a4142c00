// The program part of a registered command.
//  - FirstToken: a prefix of the trimmed command, empty only for a blank command, ending
//    at the closing quote of a quoted program or before the first space of a bare one.
//  - SplitRegisteredCommand, with every path that ends in "e" taken for a file: the
//    program and the arguments give back the trimmed command (a bare name comes from
//    the one search folder), and only paths that name their drive or server are asked.
//  - DocumentCommandLine: the quoted program first; without a placeholder, the document
//    last, quoted when cmd.exe could misread it.
#include "fuzz_input.h"
#include "launcher/command_rules.h"
#include "launcher/text_rules.h"

namespace {

void CheckFirstToken(const std::wstring& command) {
  const std::wstring trimmed = kavolt::Trim(command);
  const std::wstring token = kavolt::FirstToken(command);

  KAVOLT_CHECK(trimmed.starts_with(token));
  KAVOLT_CHECK(token.empty() == trimmed.empty());
  if (token.empty()) return;

  if (trimmed.front() == L'"') {
    // Up to the first quote after the opening one, or everything when there is none.
    const size_t closing = trimmed.find(L'"', 1);
    KAVOLT_CHECK(closing == std::wstring::npos ? token == trimmed : token.size() == closing + 1);
  } else {
    KAVOLT_CHECK(token.find(L' ') == std::wstring::npos);
    KAVOLT_CHECK(token == trimmed || trimmed[token.size()] == L' ');
  }
}

void CheckRegisteredCommand(const std::wstring& command) {
  const std::wstring folder = L"C:\\bin";
  const kavolt::ProgramQuestions platform{
      [&](const std::wstring& path) {
        KAVOLT_CHECK(kavolt::IsFullyQualified(path));
        return path.ends_with(L"e");
      },
      {folder}};
  const std::optional<kavolt::RegisteredCommand> split =
      kavolt::SplitRegisteredCommand(command, platform);
  if (!split) return;

  const std::wstring trimmed = kavolt::Trim(command);
  std::wstring written = split->program;
  if (written.starts_with(folder + L"\\") && !trimmed.starts_with(folder)) {
    written.erase(0, folder.size() + 1);  // a bare name, found in the folder
    if (!trimmed.starts_with(written) && !trimmed.starts_with(L"\"" + written)) {
      written.resize(written.size() - 4);  // ".exe" added to a name without a type
    }
  }
  KAVOLT_CHECK(trimmed == written + split->arguments ||
               trimmed == L"\"" + written + L"\"" + split->arguments);

  const std::wstring document = L"c:\\a b&c.kvt";
  const std::optional<std::wstring> line = kavolt::DocumentCommandLine(*split, document);
  if (!line) return;  // its quotes leave no one way to pass the document
  KAVOLT_CHECK(line->starts_with(L"\"" + split->program + L"\""));
  if (split->arguments.find(L'%') == std::wstring::npos) {
    KAVOLT_CHECK(*line == L"\"" + split->program + L"\"" + split->arguments + L" \"" + document +
                              L"\"");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring command = kavolt::fuzz::WideFromBytes(data, size);
  CheckFirstToken(command);
  CheckRegisteredCommand(command);
  return 0;
}

// FirstToken: a prefix of the trimmed command, empty only for a blank command, ending
// at the closing quote of a quoted program or before the first space of a bare one.
#include "fuzz_input.h"
#include "launcher/text_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring command = kavolt::fuzz::WideFromBytes(data, size);
  const std::wstring trimmed = kavolt::Trim(command);
  const std::wstring token = kavolt::FirstToken(command);

  KAVOLT_CHECK(trimmed.starts_with(token));
  KAVOLT_CHECK(token.empty() == trimmed.empty());
  if (token.empty()) return 0;

  if (trimmed.front() == L'"') {
    // Up to the first quote after the opening one, or everything when there is none.
    const size_t closing = trimmed.find(L'"', 1);
    KAVOLT_CHECK(closing == std::wstring::npos ? token == trimmed : token.size() == closing + 1);
  } else {
    KAVOLT_CHECK(token.find(L' ') == std::wstring::npos);
    KAVOLT_CHECK(token == trimmed || trimmed[token.size()] == L' ');
  }
  return 0;
}

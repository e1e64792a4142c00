// EnsureQuoted: the caller's text ends up trimmed; the result begins and ends with a
// quote, is that text with at most one pair added, and quoting it again changes nothing.
#include "fuzz_input.h"
#include "launcher/text_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring original = kavolt::fuzz::WideFromBytes(data, size);
  std::wstring text = original;
  const std::wstring quoted = kavolt::EnsureQuoted(text);

  KAVOLT_CHECK(text == kavolt::Trim(original));
  KAVOLT_CHECK(!quoted.empty() && quoted.front() == L'"' && quoted.back() == L'"');
  KAVOLT_CHECK(quoted == text || quoted == L'"' + text + L'"');
  KAVOLT_CHECK(quoted.size() >= 2 || text == L"\"");  // only a lone quote stays single

  std::wstring again = quoted;
  KAVOLT_CHECK(kavolt::EnsureQuoted(again) == quoted);
  KAVOLT_CHECK(again == quoted);
  return 0;
}

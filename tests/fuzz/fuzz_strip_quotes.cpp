// StripQuotes: the caller's text ends up trimmed; the result is that text without one
// enclosing pair, or unchanged; it fails for a lone double quote and nothing else.
#include "fuzz_input.h"
#include "launcher/text_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring original = kavolt::fuzz::WideFromBytes(data, size);
  std::wstring text = original;
  const std::optional<std::wstring> result = kavolt::StripQuotes(text);

  KAVOLT_CHECK(text == kavolt::Trim(original));
  KAVOLT_CHECK(original.find(text) != std::wstring::npos);
  KAVOLT_CHECK(text.empty() || (text.front() != L' ' && text.back() != L' '));
  KAVOLT_CHECK(result.has_value() == (text != L"\""));
  if (!result) return 0;

  const bool enclosed = text.size() >= 2 && text.front() == L'"' && text.back() == L'"';
  KAVOLT_CHECK(enclosed ? L'"' + *result + L'"' == text : *result == text);
  return 0;
}

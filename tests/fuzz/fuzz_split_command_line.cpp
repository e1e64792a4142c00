// SplitCommandLine: the items rejoin to the text, and every cut is a space outside
// quotes while every space inside an item stands inside quotes.
#include "fuzz_input.h"
#include "launcher/text_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = kavolt::fuzz::WideFromBytes(data, size);
  const std::vector<std::wstring> items = kavolt::SplitCommandLine(text);
  KAVOLT_CHECK(items.empty() == text.empty());

  std::wstring joined;
  bool inQuotes = false;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) {
      KAVOLT_CHECK(!inQuotes);  // the space between two items
      joined += L' ';
    }
    for (const wchar_t c : items[i]) {
      if (c == L'"') inQuotes = !inQuotes;
      if (c == L' ') KAVOLT_CHECK(inQuotes);
    }
    joined += items[i];
  }
  KAVOLT_CHECK(joined == text);
  return 0;
}

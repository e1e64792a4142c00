// FileExtension: empty or one dot followed by no further dot or path separator, taken
// from the end of the unquoted text; it fails for a lone double quote and nothing else.
#include "fuzz_input.h"
#include "launcher/text_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = kavolt::fuzz::WideFromBytes(data, size);
  const std::optional<std::wstring> extension = kavolt::FileExtension(text);
  KAVOLT_CHECK(extension.has_value() == (kavolt::Trim(text) != L"\""));
  if (!extension) return 0;

  std::wstring copy = text;
  const std::wstring path = kavolt::StripQuotes(copy).value();
  KAVOLT_CHECK(path.ends_with(*extension));
  if (extension->empty()) {
    // No dot in the last component.
    const size_t separator = path.find_last_of(L"\\/");
    KAVOLT_CHECK(path.find(L'.', separator == std::wstring::npos ? 0 : separator + 1) ==
                 std::wstring::npos);
  } else {
    KAVOLT_CHECK(extension->front() == L'.');
    KAVOLT_CHECK(extension->find_first_of(L"./\\", 1) == std::wstring::npos);
  }
  return 0;
}

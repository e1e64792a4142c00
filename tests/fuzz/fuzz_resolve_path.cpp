// ResolvePath with a scripted platform. Input: one code unit of switches (bit 0: the
// base cannot be asked about, bit 1: the base is a file, bit 2: canonicalisation
// fails), then the item, then after a U+0000 the base folder (C:\Tools without one).
// The canonicaliser hands its path back unchanged, so what it was given shows.
#include "fuzz_input.h"
#include "launcher/path_rules.h"
#include "launcher/text_rules.h"

namespace {

bool IsUncOrDriveAbsolute(const std::wstring& path) {
  return path.starts_with(L"\\\\") || (path.size() >= 3 && path[1] == L':' && path[2] == L'\\');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring input = kavolt::fuzz::WideFromBytes(data, size);
  if (input.empty()) return 0;
  const unsigned switches = static_cast<unsigned>(input[0]);
  const size_t separator = input.find(L'\0', 1);
  const std::wstring item = input.substr(1, separator == std::wstring::npos ? std::wstring::npos
                                                                             : separator - 1);
  const std::wstring base =
      separator == std::wstring::npos ? std::wstring(L"C:\\Tools") : input.substr(separator + 1);

  int directoryQuestions = 0;
  std::vector<std::wstring> canonicalized;
  const kavolt::PathQuestions platform{
      [&](const std::wstring& path) -> std::optional<bool> {
        KAVOLT_CHECK(path == base);
        ++directoryQuestions;
        if (switches & 1u) return std::nullopt;
        return (switches & 2u) == 0;
      },
      [&](const std::wstring& path) -> std::optional<std::wstring> {
        canonicalized.push_back(path);
        if (switches & 4u) return std::nullopt;
        return path;
      }};
  const std::optional<std::wstring> result = kavolt::ResolvePath(item, base, platform);

  // An item in quotes that never close, or a lone quote, needs no platform at all.
  const std::wstring trimmed = kavolt::Trim(item);
  if (trimmed.starts_with(L'"') && (trimmed.size() == 1 || trimmed.back() != L'"')) {
    KAVOLT_CHECK(directoryQuestions == 0 && canonicalized.empty());
    KAVOLT_CHECK(trimmed.size() == 1 ? !result : result == item);
    return 0;
  }
  KAVOLT_CHECK(directoryQuestions == 1);
  if (switches & 1u) {
    KAVOLT_CHECK(!result && canonicalized.empty());
    return 0;
  }

  const std::wstring working =
      trimmed.starts_with(L'"') ? trimmed.substr(1, trimmed.size() - 2) : item;
  const std::wstring prefix = (switches & 2u) ? base : base + L'\\';
  const bool climbs = working.find(L"..\\") != std::wstring::npos;
  KAVOLT_CHECK(canonicalized.size() == (climbs ? 1u : 0u));
  KAVOLT_CHECK(result.has_value() == !(climbs && (switches & 4u)));
  if (!result) return 0;

  // Quoted exactly when the path holds a space.
  std::wstring path = *result;
  if (path.find(L' ') != std::wstring::npos) {
    KAVOLT_CHECK(path.size() >= 2 && path.front() == L'"' && path.back() == L'"');
    path = path.substr(1, path.size() - 2);
  }

  if (climbs) {
    // An absolute path climbs on its own, anything else behind the base.
    KAVOLT_CHECK(canonicalized[0] == (IsUncOrDriveAbsolute(working) ? working : prefix + working));
    KAVOLT_CHECK(path == canonicalized[0]);
  } else {
    // Nothing cut, nothing invented: the item whole, behind the base unless absolute.
    if (working.starts_with(L".\\")) {
      KAVOLT_CHECK(path == prefix + working.substr(2));
    } else {
      KAVOLT_CHECK(path == (IsUncOrDriveAbsolute(working) ? working : prefix + working));
    }
  }
  return 0;
}

#include "launcher/path_rules.h"

#include <utility>

#include "launcher/text_rules.h"

namespace kavolt {
namespace {

constexpr wchar_t kQuote = L'"';

}  // namespace

bool IsFullyQualified(std::wstring_view path) {
  return path.starts_with(L"\\\\") || (path.size() >= 3 && path[1] == L':' && path[2] == L'\\');
}

std::wstring WithoutTrailingSeparators(std::wstring folder) {
  while (folder.size() > 2 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::optional<std::wstring> ResolvePath(std::wstring_view item, std::wstring_view baseDir,
                                        const PathQuestions& platform) {
  std::wstring working(item);
  const std::wstring trimmed = Trim(item);
  if (!trimmed.empty() && trimmed.front() == kQuote) {
    // An opening quote with no closing one: the item is not a path we can read.
    if (trimmed.back() != kQuote) return std::wstring(item);
    if (trimmed.size() < 2) return std::nullopt;  // a lone quote opens and closes at once
    working = trimmed.substr(1, trimmed.size() - 2);
  }

  std::wstring prefix(baseDir);
  const std::optional<bool> baseIsDirectory = platform.isDirectory(prefix);
  if (!baseIsDirectory) return std::nullopt;
  if (*baseIsDirectory) prefix += L'\\';

  std::wstring result;
  if (working.find(L"..\\") != std::wstring::npos) {
    // An absolute path climbs on its own; the base in front would only spoil it.
    std::optional<std::wstring> canonical =
        platform.canonicalize(IsFullyQualified(working) ? working : prefix + working);
    if (!canonical) return std::nullopt;
    result = std::move(*canonical);
  } else if (working.starts_with(L".\\")) {
    result = prefix + working.substr(2);
  } else if (!IsFullyQualified(working)) {
    result = prefix + working;
  } else {
    result = std::move(working);
  }

  if (result.find(L' ') != std::wstring::npos) result = kQuote + result + kQuote;
  return result;
}

}  // namespace kavolt

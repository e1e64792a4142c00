#include "launcher/text_rules.h"

namespace kavolt {
namespace {

constexpr wchar_t kQuote = L'"';
constexpr wchar_t kSpace = L' ';

std::wstring_view TrimView(std::wstring_view text) {
  const size_t first = text.find_first_not_of(kSpace);
  if (first == std::wstring_view::npos) return {};
  const size_t last = text.find_last_not_of(kSpace);
  return text.substr(first, last - first + 1);
}

// In place, so the caller's text is trimmed without a copy of itself.
void TrimInPlace(std::wstring& text) {
  const size_t last = text.find_last_not_of(kSpace);
  text.erase(last == std::wstring::npos ? 0 : last + 1);
  text.erase(0, text.find_first_not_of(kSpace));
}

bool EnclosedInQuotes(std::wstring_view text) {
  return !text.empty() && text.front() == kQuote && text.back() == kQuote;
}

}  // namespace

std::wstring Trim(std::wstring_view text) { return std::wstring(TrimView(text)); }

std::vector<std::wstring> SplitCommandLine(std::wstring_view argumentText) {
  std::vector<std::wstring> items;
  if (argumentText.empty()) return items;
  bool inQuotes = false;
  size_t start = 0;
  for (size_t i = 0; i < argumentText.size(); ++i) {
    const wchar_t c = argumentText[i];
    if (c == kQuote) {
      inQuotes = !inQuotes;
    } else if (c == kSpace && !inQuotes) {
      items.emplace_back(argumentText.substr(start, i - start));
      start = i + 1;
    }
  }
  items.emplace_back(argumentText.substr(start));
  return items;
}

std::optional<std::wstring> StripQuotes(std::wstring& text) {
  TrimInPlace(text);
  if (!EnclosedInQuotes(text)) return text;
  if (text.size() < 2) return std::nullopt;  // a lone quote is first and last at once
  return text.substr(1, text.size() - 2);
}

std::wstring InQuotes(std::wstring_view text) {
  std::wstring quoted;
  quoted.reserve(text.size() + 2);
  quoted += kQuote;
  quoted += text;
  quoted += kQuote;
  return quoted;
}

std::wstring EnsureQuoted(std::wstring& text) {
  TrimInPlace(text);
  if (EnclosedInQuotes(text)) return text;
  return InQuotes(text);
}

std::optional<std::wstring> FileExtension(std::wstring_view text) {
  std::wstring copy(text);
  std::optional<std::wstring> path = StripQuotes(copy);
  if (!path) return std::nullopt;
  // Only the last component counts: a dot in a folder name is no file type.
  const size_t separator = path->find_last_of(L"\\/");
  const size_t nameStart = separator == std::wstring::npos ? 0 : separator + 1;
  const size_t dot = path->rfind(L'.');
  if (dot == std::wstring::npos || dot < nameStart) return std::wstring();
  return path->substr(dot);
}

std::wstring FirstToken(std::wstring_view command) {
  const std::wstring_view trimmed = TrimView(command);
  size_t end = std::wstring_view::npos;
  if (!trimmed.empty() && trimmed.front() == kQuote) {
    end = trimmed.find(kQuote, 1);
    if (end != std::wstring_view::npos) ++end;  // the closing quote belongs to the token
  } else {
    end = trimmed.find(kSpace);
  }
  return std::wstring(trimmed.substr(0, end));
}

}  // namespace kavolt

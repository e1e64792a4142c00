// Text rules of command-line mode: cutting the argument text into items and the small
// helpers applied to items, paths and registered commands. Text only: no file system,
// no registry, no windows. Every rule works per code unit and compares exactly.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavolt {

// The text without its leading and trailing spaces (U+0020 only; tabs stay).
std::wstring Trim(std::wstring_view text);

// Cuts the argument text at every space that stands outside double quotes. Each quote
// flips the in-quotes state and stays in its item, so items keep their quotes and the
// spaces inside them; nothing else is changed. Two adjacent spaces give an empty item
// between them, a leading or trailing space an empty item at that end, and an empty
// text an empty list. The items joined with single spaces give back the text exactly.
std::vector<std::wstring> SplitCommandLine(std::wstring_view argumentText);

// Trims the caller's text in place, then returns it without one pair of enclosing
// double quotes (or unchanged when it is not enclosed). A text that trims to a lone
// double quote cannot lose a pair: the result is std::nullopt, and the caller's text
// is still trimmed.
std::optional<std::wstring> StripQuotes(std::wstring& text);

// The text enclosed in double quotes, whatever it holds.
std::wstring InQuotes(std::wstring_view text);

// Trims the caller's text in place, then returns it enclosed in double quotes, or
// unchanged when its first and last characters already are quotes. A lone double
// quote counts as both and comes back as it is; resolving it fails later (ResolvePath).
std::wstring EnsureQuoted(std::wstring& text);

// The file type of a path: the text from the last "." of its last component (after
// the last "\" or "/"), dot included, or empty when that component has no dot. The
// text is first read through StripQuotes (on a copy), so std::nullopt for a text that
// trims to a lone double quote.
std::optional<std::wstring> FileExtension(std::wstring_view text);

// The program part of a command: of the trimmed text, up to and including the closing
// quote when it begins with a quote, else up to the first space; the whole trimmed
// text when there is no such end.
std::wstring FirstToken(std::wstring_view command);

}  // namespace kavolt

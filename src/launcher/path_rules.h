// How a command-line item becomes the path that is started or opened: quotes around
// the item removed, relative forms taken against a base folder, "..\" steps removed
// by the platform, the result quoted when it holds a space. The two questions only
// the platform can answer are passed in, so these rules build and run anywhere.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kavolt {

// Both must be set.
struct PathQuestions {
  // Whether the path names a directory: true or false when it exists, std::nullopt
  // when that cannot be told (missing, no access).
  std::function<std::optional<bool>(const std::wstring& path)> isDirectory;
  // The path with its "." and ".." steps removed, whole at any length; std::nullopt
  // when the platform cannot do it. Never a shortened path.
  std::function<std::optional<std::wstring>(const std::wstring& path)> canonicalize;
};

// A path that names its drive or server ("X:\..." or "\\..."), so that nothing
// searches folders for it; anything else, "\x" included, is relative to something.
bool IsFullyQualified(std::wstring_view path);

// The folder without its trailing backslashes, ready to be joined with "\" and a name
// ("C:\" gives "C:").
std::wstring WithoutTrailingSeparators(std::wstring folder);

// Resolves an item against the base folder. Backslashes only; "/" is an ordinary
// character. In this order:
//  - an item that trims to an opening quote without a closing one comes back exactly
//    as passed in; an item enclosed in quotes loses them (trimmed); any other item
//    is used untrimmed;
//  - the base prefix is the base folder, with a "\" appended when it is a directory;
//  - a path containing "..\" is canonicalised: a drive-absolute ("X:\...") or UNC
//    ("\\...") path on its own, any other with the base prefix in front;
//  - ".\x" gives the base prefix and "x"; a drive-absolute or UNC path stays as it
//    is; anything else is put behind the base prefix (so "\x" too);
//  - a result that contains a space is enclosed in double quotes.
// std::nullopt, with nothing cut or guessed, when the item trims to a lone double
// quote, when isDirectory cannot tell about the base folder (asked for every item
// that is not handed back as passed in), or when canonicalisation fails.
std::optional<std::wstring> ResolvePath(std::wstring_view item, std::wstring_view baseDir,
                                        const PathQuestions& platform);

}  // namespace kavolt

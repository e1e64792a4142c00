// How a document's registered command becomes the command line that opens it, and
// which programs command-line mode is willing to start. Text only: whether a file
// exists is asked of the caller, so these rules build and run anywhere.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/path_rules.h"

namespace kavolt {

// Whether cmd.exe could misread the text on a command line without quotes: it holds a
// blank or one of & | < > ^ ( ) % ! , ; =. A batch file given the text would
// otherwise run whatever follows an "&".
bool NeedsQuotes(std::wstring_view text);

// The text enclosed in double quotes when it needs them, else as it is.
std::wstring QuotedForCommandLine(std::wstring_view text);

// ".exe" and ".com": the only types started as programs without a registration that
// says so. Exact: the launcher lower-cases the extension first.
bool IsProgramExtension(std::wstring_view extension);

// The registered command starts the document itself ("%1" %*, as for .exe and .bat).
bool IsDocumentItself(std::wstring_view command);

// The folders of a PATH value in which a bare program name may be looked for: each
// entry trimmed and unquoted, without a trailing "\", fully qualified ones only (an
// empty or relative entry would mean the current folder).
std::vector<std::wstring> SearchPathFolders(std::wstring_view pathVariable);

struct ProgramQuestions {
  // Whether a fully qualified path names an existing file (not a folder).
  std::function<bool(const std::wstring& path)> isFile;
  // Where a bare program name is looked for, in order: the system's folders and PATH,
  // never the launcher's own folder or the current one.
  std::vector<std::wstring> searchFolders;
};

// A registered command cut into the program, found and absolute, and the rest of the
// command exactly as written (its leading blank included).
struct RegisteredCommand {
  std::wstring program;
  std::wstring arguments;
};

// Cuts an expanded registered command. The program part is
//  - the quoted text, when the command begins with a quote;
//  - otherwise, for a bare name (no "\", "/" or ":"), the text up to the first blank;
//  - otherwise the shortest prefix ending before a blank (or the whole command) that
//    names an existing file, exactly as written: older installers leave spaced paths
//    unquoted.
// A bare name is looked for in the search folders (with ".exe" added when it has no
// extension); a path must be fully qualified and exist. std::nullopt when no program
// is found that way: nothing else is ever started in its place.
std::optional<RegisteredCommand> SplitRegisteredCommand(std::wstring_view command,
                                                        const ProgramQuestions& platform);

// The command line that opens the document (a file's path: no quotes, no "\" at its
// end) with the command: the program quoted, then the arguments, with
//  - every %0, %1, %L and %V (either case) replaced by the document: as it is inside
//    quotes, quoted outside them (the backslashes before that quote doubled, so that
//    they keep their meaning);
//  - every %*, %~ and other "%" followed by an ASCII letter or digit dropped;
//  - "%%" kept as text ("%%1" is no placeholder).
// Without a document placeholder the document is appended, quoted when it needs quotes.
// std::nullopt when programs could read the line two ways (CommandLineToArgvW and the
// C runtime before 2008 one way, the C runtime since 2008 the other): when the arguments
// end inside quotes, follow the program without a blank or a tab, or hold a run of quotes
// other than an empty argument "" outside quotes, as a quoted document touching another
// quote does ("x"%1, %1"x", %1%1).
std::optional<std::wstring> DocumentCommandLine(const RegisteredCommand& command,
                                                std::wstring_view document);

}  // namespace kavolt

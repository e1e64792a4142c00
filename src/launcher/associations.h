// What HKEY_CLASSES_ROOT registers for a file type: the command that opens its
// documents, with the program in it found.
#pragma once

#include <string>
#include <string_view>

#include "launcher/command_rules.h"

namespace kavolt {

// The path of a special folder (a CSIDL value such as CSIDL_WINDOWS); empty when the
// platform has none.
std::wstring SpecialFolderPath(int folder);

struct Association {
  enum class Kind {
    kNone,            // no registered command: only a program may start as itself
    kDocumentItself,  // the command starts the document ("%1" %*): it is a program
    kProgram,         // opened with command
    kNoProgram,       // a command whose program cannot be found: nothing may start
    kShell,           // only the shell can start it: opened with the class and its verb
  };
  Kind kind = Kind::kNone;
  RegisteredCommand command;  // kProgram only
  std::wstring progId;        // kShell only: the class the shell opens the document with
  std::wstring verb;          // kShell only: the verb, empty for the class's default
};

// How a document of the type opens: first with the program the person chose for the
// type (Windows' UserChoiceLatest\ProgId, then UserChoice), when that class still exists and
// its verb can start something; else with the type's own registration. Never so for
// programs (.exe, .com, and types whose command is the document itself). The command is
// the verb's (the default verb, or "open" when the class names none), its environment
// variables expanded, its program looked for in the system's folders and PATH only,
// never in Kavolt's folder or the one it was started from. An empty extension reads
// nothing.
Association AssociatedProgram(std::wstring_view extension, std::wstring_view startFolder);

}  // namespace kavolt

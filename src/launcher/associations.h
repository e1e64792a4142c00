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
  };
  Kind kind = Kind::kNone;
  RegisteredCommand command;  // kProgram only
};

// The command of the type's default verb (or of "open" when the type names none),
// its environment variables expanded, its program looked for in the system's folders
// and PATH only, never in Kavolt's folder or the one it was started from. An empty
// extension reads nothing.
Association AssociatedProgram(std::wstring_view extension, std::wstring_view startFolder);

}  // namespace kavolt

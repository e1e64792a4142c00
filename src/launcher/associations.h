// The program registered for a file type, read from HKEY_CLASSES_ROOT.
#pragma once

#include <string>
#include <string_view>

namespace kavolt {

// The path of a special folder (a CSIDL value such as CSIDL_WINDOWS); empty when the
// platform has none.
std::wstring SpecialFolderPath(int folder);

// The program part of the command of the type's default verb (or of "open" when the
// type names none), with its environment variables expanded; empty when the type is
// not registered, names no command, or the command is the document itself ("%1").
std::wstring AssociatedProgram(std::wstring_view extension);

}  // namespace kavolt

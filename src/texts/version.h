// The version text of the caption: major, ".", minor and revision run together, ".".
// So 1, 3, 1 gives "1.31." (the way this program has always shown its version).
#pragma once

#include <string>

namespace kavolt {

struct VersionNumbers {
  unsigned major;
  unsigned minor;
  unsigned revision;
};

// The numbers this build was made with.
VersionNumbers ProgramVersion();

std::wstring VersionText(const VersionNumbers& version);

// "最前面 " followed by the version text.
std::wstring MainCaption(const VersionNumbers& version);

}  // namespace kavolt

#include "texts/version.h"

#include "texts/texts.h"
#include "texts/version_numbers.h"

namespace kavolt {

VersionNumbers ProgramVersion() {
  return {KAVOLT_VERSION_MAJOR, KAVOLT_VERSION_MINOR, KAVOLT_VERSION_REVISION};
}

std::wstring VersionText(const VersionNumbers& version) {
  return std::to_wstring(version.major) + L"." + std::to_wstring(version.minor) +
         std::to_wstring(version.revision) + L".";
}

std::wstring MainCaption(const VersionNumbers& version) {
  return std::wstring(text::kLayoutCaption) + L" " + VersionText(version);
}

}  // namespace kavolt

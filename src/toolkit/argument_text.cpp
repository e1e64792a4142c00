#include "toolkit/argument_text.h"

namespace kavolt {

std::wstring ArgumentText(std::wstring_view commandLine) {
  size_t position = 0;
  if (!commandLine.empty() && commandLine.front() == L'"') {
    const size_t closing = commandLine.find(L'"', 1);
    position = closing == std::wstring_view::npos ? commandLine.size() : closing + 1;
  } else {
    position = commandLine.find_first_of(L" \t");
    if (position == std::wstring_view::npos) position = commandLine.size();
  }
  position = commandLine.find_first_not_of(L" \t", position);
  if (position == std::wstring_view::npos) return {};
  return std::wstring(commandLine.substr(position));
}

}  // namespace kavolt

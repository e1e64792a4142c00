#include "launcher/windows_paths.h"

#include <windows.h>

#include <pathcch.h>

namespace kavolt {
namespace {

std::optional<bool> IsDirectory(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::wstring> Canonicalize(const std::wstring& path) {
  PWSTR canonical = nullptr;
  if (FAILED(::PathAllocCanonicalize(path.c_str(), PATHCCH_ALLOW_LONG_PATHS, &canonical))) {
    return std::nullopt;
  }
  std::wstring result(canonical);
  ::LocalFree(canonical);
  return result;
}

}  // namespace

const PathQuestions& WindowsPathQuestions() {
  static const PathQuestions questions{IsDirectory, Canonicalize};
  return questions;
}

}  // namespace kavolt

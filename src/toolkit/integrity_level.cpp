#include "toolkit/integrity_level.h"

#include <vector>

#include "toolkit/handle.h"

namespace kavolt {

std::optional<std::uint32_t> IntegrityLevelOf(DWORD processId) {
  const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  HANDLE opened = nullptr;
  if (!process || !::OpenProcessToken(process.get(), TOKEN_QUERY, &opened)) return std::nullopt;
  const UniqueHandle token(opened);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
  if (size < sizeof(TOKEN_MANDATORY_LABEL)) return std::nullopt;
  std::vector<std::uint64_t> label((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
  if (!::GetTokenInformation(token.get(), TokenIntegrityLevel, label.data(), size, &size)) {
    return std::nullopt;
  }
  const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(label.data())->Label.Sid;
  if (!::IsValidSid(sid) || *::GetSidSubAuthorityCount(sid) == 0) return std::nullopt;
  return *::GetSidSubAuthority(sid, *::GetSidSubAuthorityCount(sid) - 1U);
}

}  // namespace kavolt

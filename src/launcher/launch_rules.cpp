#include "launcher/launch_rules.h"

#include <unordered_map>
#include <unordered_set>

namespace kavolt {
namespace {

// After the started process's end, a window that comes to the foreground now may still
// be one that it handed over to.
bool HandOverOpen(const WaitFacts& facts) {
  return facts.startedEndedAt && !facts.pressed &&
         facts.now <= *facts.startedEndedAt + kHandOverGrace;
}

// Came to the foreground since the start, as a window of its own: the desktop shows
// when nothing is active, and a window that was there may have been raised by anyone.
bool IsNewForeground(const ForegroundFacts& foreground) {
  return foreground.listed && !foreground.desktopOrShell && !foreground.atStart &&
         !foreground.existedBefore;
}

bool Qualifies(const WaitFacts& facts) {
  switch (facts.candidate) {
    case Candidate::kStarted:
    case Candidate::kDescendant:
      return true;
    case Candidate::kForeground:
      return HandOverOpen(facts) && IsNewForeground(facts.foreground);
    case Candidate::kNone:
      break;
  }
  return false;
}

}  // namespace

LaunchVerdict DecideWait(const WaitFacts& facts) {
  if (Qualifies(facts)) {
    // Pinning it would freeze Kavolt until its program recovers, if ever.
    if (facts.response == Response::kHung) return LaunchVerdict::kGiveUp;
    if (facts.response == Response::kAnswers && !facts.pinRefused) return LaunchVerdict::kPin;
  }
  if (facts.now >= kLaunchTimeout) return LaunchVerdict::kGiveUp;
  // The started process or a descendant may still show a window of its own.
  if (!facts.startedEndedAt || facts.descendantAlive) return LaunchVerdict::kKeepWaiting;
  return HandOverOpen(facts) ? LaunchVerdict::kKeepWaiting : LaunchVerdict::kGiveUp;
}

LaunchVerdict DecideConsole(const ConsoleFacts& facts) {
  if (!facts.hasConsoleWindow) return LaunchVerdict::kKeepWaiting;
  if (facts.consoleExistedBefore || facts.rootOwnerExistedBefore) return LaunchVerdict::kGiveUp;
  // A terminal may take a moment to own its pseudo console's hidden window.
  return facts.rootOwnerVisible ? LaunchVerdict::kPin : LaunchVerdict::kKeepWaiting;
}

std::vector<KnownProcess> NewDescendants(std::span<const KnownProcess> family,
                                         std::span<const ListedProcess> listed,
                                         const CreationTimeOf& creationTimeOf) {
  std::unordered_map<std::uint32_t, std::uint64_t> known;
  for (const KnownProcess& member : family) known.emplace(member.id, member.createdAt);
  std::unordered_set<std::uint32_t> refused;
  std::vector<KnownProcess> found;
  // Again until nothing is added: a child may be listed before its parent.
  for (bool grew = true; grew;) {
    grew = false;
    for (const ListedProcess& process : listed) {
      if (known.contains(process.id) || refused.contains(process.id)) continue;
      const auto parent = known.find(process.parentId);
      if (parent == known.end()) continue;
      const std::optional<std::uint64_t> created = creationTimeOf(process.id);
      if (!created || *created < parent->second) {
        refused.insert(process.id);
        continue;
      }
      known.emplace(process.id, *created);
      found.push_back({process.id, *created});
      grew = true;
    }
  }
  return found;
}

}  // namespace kavolt

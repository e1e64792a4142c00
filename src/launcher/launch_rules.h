// Which window a command-line launch pins, and when it stops waiting for one. A window
// is pinned only when the started program can be shown to have made it or handed over
// to it: never one that the person, or another program, opened meanwhile. No windowing
// code here: the launcher asks the system and hands the answers to these rules.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace kavolt {

using std::chrono::milliseconds;

enum class LaunchVerdict { kPin, kKeepWaiting, kGiveUp };

// How long a started program may take to show a window.
inline constexpr milliseconds kLaunchTimeout{10'000};
// How long after the started process has ended a window it handed over to may still
// come to the foreground: a relay to a running instance, or to a system process.
inline constexpr milliseconds kHandOverGrace{5'000};

// Where the best window of one look comes from.
enum class Candidate {
  kNone,
  kStarted,     // the started process's own
  kDescendant,  // a process that the started one created, or one of those created
  kForeground,  // another program's window that has come to the foreground
};

// What one look of the wait found; every time is counted from the item's start.
struct WaitFacts {
  milliseconds now{};
  Candidate candidate = Candidate::kNone;
  bool existedBefore = false;  // the foreground window was there before the start
  std::optional<milliseconds> startedEndedAt;
  bool descendantAlive = false;
  bool pressed = false;  // a key or button was pressed since the item's start
};

// A window of the started process or of a descendant is pinned until the time-out,
// whatever the person does meanwhile. Any other window only when it is new, came to
// the foreground while the started process ran or within kHandOverGrace after, and
// no key or button was pressed before: then nothing but the hand-over can have
// brought it there. Once nothing can qualify any more, the wait gives up at once.
LaunchVerdict DecideWait(const WaitFacts& facts);

// A console program's window, as the system reports it: its console's window, and that
// window's root owner, which is a terminal's window where a terminal hosts the console
// (Windows Terminal), else the console's window itself.
struct ConsoleFacts {
  bool hasConsoleWindow = false;
  bool consoleExistedBefore = false;
  bool rootOwnerExistedBefore = false;
  bool rootOwnerVisible = false;
};

// The root owner is pinned when it is new and shows. One that existed before is the
// person's own terminal, which took the console as a new tab: nothing is pinned.
LaunchVerdict DecideConsole(const ConsoleFacts& facts);

struct KnownProcess {
  std::uint32_t id = 0;
  std::uint64_t createdAt = 0;  // FILETIME ticks
};

struct ListedProcess {
  std::uint32_t id = 0;
  std::uint32_t parentId = 0;
};

// How long ago a listed process was created; std::nullopt when it cannot be opened
// (another user's, a protected one, or ended), which makes it no descendant.
using CreationTimeOf = std::function<std::optional<std::uint64_t>(std::uint32_t id)>;

// The listed processes that descend from the family (the started process and the
// descendants found so far), whatever order the list has. An id can be reused once
// its process has ended, so a process counts as a child only when its parent, which
// the caller keeps open, was created no later than it.
std::vector<KnownProcess> NewDescendants(std::span<const KnownProcess> family,
                                         std::span<const ListedProcess> listed,
                                         const CreationTimeOf& creationTimeOf);

}  // namespace kavolt

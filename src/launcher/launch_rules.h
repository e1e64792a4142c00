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

// How the best window of one look answers a message: the calls that pin it wait for
// its program to handle them.
enum class Response {
  kAnswers,
  kBusy,  // no answer within a short probe: a program loading its document, say
  kHung,  // the system reports it hung (IsHungAppWindow)
};

// Another program's window in the foreground, as the system reports it.
struct ForegroundFacts {
  bool listed = true;           // among the top-level windows that the system lists
  bool desktopOrShell = false;  // the desktop's own window, or the shell's
  bool atStart = false;         // the foreground window when the item started
  bool existedBefore = false;   // there before the start
};

// What one look of the wait found; every time is counted from the item's start.
struct WaitFacts {
  milliseconds now{};
  Candidate candidate = Candidate::kNone;
  ForegroundFacts foreground;  // kForeground only
  Response response = Response::kAnswers;
  bool pinRefused = false;  // the pin of this window was just tried and did not take
  std::optional<milliseconds> startedEndedAt;
  bool descendantAlive = false;
  bool pressed = false;  // a key or button was pressed since the item's start
};

// The started process's own window, or a descendant's, is pinned until the time-out,
// whatever the person does meanwhile. Another program's window only once the started
// process has ended (while it runs, another program's window is that program's doing):
// the foreground window then or within kHandOverGrace after, when it came to the
// foreground after the start, is neither the desktop nor the shell, and no key or button
// was pressed before. A busy window, or one whose pin did not take, is tried again at
// the next look; a hung one is left as it is. Once nothing can qualify any more, the
// wait gives up at once.
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

#include "launcher/launch_wait.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <span>
#include <unordered_map>
#include <vector>

#include "launcher/console_window.h"
#include "launcher/launch_rules.h"
#include "launcher/press_watch.h"
#include "toolkit/handle.h"
#include "toolkit/window_ops.h"

namespace kavolt {
namespace {

constexpr DWORD kPollMs = 50;
// Long enough for a program that handles its messages, short enough that a busy one
// does not hold up the look.
constexpr UINT kProbeMs = 50;

// The input method's own windows: hidden on Windows, but Wine shows its "Default IME"
// window, and it can appear before the program's window does.
bool IsImeWindow(HWND window) {
  const std::wstring className = WindowClassName(window);
  return className == L"IME" || className == L"MSCTFIME UI";
}

struct TopWindow {
  HWND window;
  DWORD processId;
};

DWORD ProcessOf(HWND window) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  return processId;
}

std::vector<TopWindow> ListTopLevelWindows() {
  std::vector<TopWindow> windows;
  ::EnumWindows(
      [](HWND window, LPARAM state) -> BOOL {
        reinterpret_cast<std::vector<TopWindow>*>(state)->push_back({window, ProcessOf(window)});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// The process's window that its user sees: an unowned one first; else a titled, owned
// one, as frameworks that keep a hidden application window own their main window by it
// (tooltips and other helpers have no title).
HWND ShownWindowOf(std::span<const TopWindow> windows, DWORD processId) {
  HWND owned = nullptr;
  for (const TopWindow& top : windows) {
    if (top.processId != processId || !::IsWindowVisible(top.window) || IsImeWindow(top.window)) {
      continue;
    }
    if (::GetWindow(top.window, GW_OWNER) == nullptr) return top.window;
    if (owned == nullptr && ::GetWindowTextLengthW(top.window) > 0 &&
        WindowClassName(top.window) != TOOLTIPS_CLASSW) {
      owned = top.window;
    }
  }
  return owned;
}

std::optional<std::uint64_t> CreationTime(HANDLE process) {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return std::nullopt;
  return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

// The started process and its descendants as they were seen, each kept open: an ended
// intermediate still links its children to the started process.
class ProcessFamily {
 public:
  // Without a started process (the shell started nothing it can name) there is no
  // family: only a hand-over can follow.
  explicit ProcessFamily(HANDLE started)
      : started_(started),
        startedId_(started != nullptr ? ::GetProcessId(started) : 0),
        startedCreatedAt_(CreationTime(started).value_or(0)),
        startedEnded_(started == nullptr) {}

  // Notes the members that have ended since the last look; true if any did.
  bool NoteEnds() {
    bool any = false;
    if (!startedEnded_ && ::WaitForSingleObject(started_, 0) == WAIT_OBJECT_0) {
      startedEnded_ = any = true;
    }
    for (Descendant& member : descendants_) {
      DWORD code = 0;
      if (!member.ended && ::GetExitCodeProcess(member.handle.get(), &code) &&
          code != STILL_ACTIVE) {
        member.ended = any = true;
      }
    }
    return any;
  }

  // Looks for new descendants in a list of every process.
  void AddFromSnapshot() {
    if (started_ == nullptr) return;
    const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    std::vector<ListedProcess> listed;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
      listed.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
    }
    std::vector<KnownProcess> family{{startedId_, startedCreatedAt_}};
    for (const Descendant& member : descendants_) family.push_back(member.known);
    std::unordered_map<std::uint32_t, UniqueHandle> opened;
    const auto creationTimeOf = [&opened](std::uint32_t id) -> std::optional<std::uint64_t> {
      UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
      if (!process) return std::nullopt;
      const std::optional<std::uint64_t> created = CreationTime(process.get());
      if (created) opened.emplace(id, std::move(process));
      return created;
    };
    for (const KnownProcess& found : NewDescendants(family, listed, creationTimeOf)) {
      descendants_.push_back({found, std::move(opened[found.id]), false});
    }
    std::ranges::stable_sort(descendants_, {},
                             [](const Descendant& d) { return d.known.createdAt; });
  }

  DWORD StartedId() const { return startedId_; }
  bool StartedEnded() const { return startedEnded_; }
  bool Contains(DWORD processId) const {
    if (started_ != nullptr && processId == startedId_) return true;
    return std::ranges::any_of(descendants_,
                               [&](const Descendant& d) { return d.known.id == processId; });
  }
  bool DescendantAlive() const {
    return std::ranges::any_of(descendants_, [](const Descendant& d) { return !d.ended; });
  }
  // The first shown window of a descendant, the oldest process first.
  HWND DescendantWindow(std::span<const TopWindow> windows) const {
    for (const Descendant& member : descendants_) {
      if (HWND window = ShownWindowOf(windows, member.known.id)) return window;
    }
    return nullptr;
  }

 private:
  struct Descendant {
    KnownProcess known;
    UniqueHandle handle;
    bool ended;
  };

  HANDLE started_;
  DWORD startedId_;
  std::uint64_t startedCreatedAt_;
  bool startedEnded_;
  std::vector<Descendant> descendants_;
};

// A console program's window, or its terminal's; the verdict on it.
LaunchVerdict LookAtConsole(DWORD processId, const WindowSet& existedBefore, HWND& shown) {
  ConsoleFacts facts;
  HWND console = ConsoleWindowOf(processId);
  shown = console != nullptr ? ::GetAncestor(console, GA_ROOTOWNER) : nullptr;
  if (shown == nullptr) return DecideConsole(facts);
  facts.hasConsoleWindow = true;
  facts.consoleExistedBefore = existedBefore.contains(console);
  facts.rootOwnerExistedBefore = existedBefore.contains(shown);
  facts.rootOwnerVisible = ::IsWindowVisible(shown) != FALSE;
  return DecideConsole(facts);
}

// The foreground window, when it is shown, titled and neither Kavolt's nor the family's
// (whose windows are looked for by their processes).
HWND ForegroundCandidate(const ProcessFamily& family) {
  HWND window = ::GetForegroundWindow();
  if (window == nullptr || !::IsWindowVisible(window) || IsImeWindow(window) ||
      ::GetWindowTextLengthW(window) == 0) {
    return nullptr;
  }
  const DWORD processId = ProcessOf(window);
  return processId == ::GetCurrentProcessId() || family.Contains(processId) ? nullptr : window;
}

ForegroundFacts ForegroundFactsOf(HWND window, std::span<const TopWindow> windows,
                                  const StartedItem& item) {
  return {.listed = std::ranges::any_of(windows,
                                        [&](const TopWindow& top) { return top.window == window; }),
          .desktopOrShell = window == ::GetDesktopWindow() || window == ::GetShellWindow(),
          .atStart = window == item.foregroundAtStart,
          .existedBefore = item.existedBefore->contains(window)};
}

Response ResponseOf(HWND window) {
  if (::IsHungAppWindow(window)) return Response::kHung;
  return WindowResponds(window, kProbeMs) ? Response::kAnswers : Response::kBusy;
}

}  // namespace

WindowSet TopLevelWindows() {
  WindowSet windows;
  for (const TopWindow& top : ListTopLevelWindows()) windows.insert(top.window);
  return windows;
}

HWND WaitUntilRunning(const StartedItem& item, PressWatch& presses, const PinWindow& pin) {
  const WindowSet& existedBefore = *item.existedBefore;
  ProcessFamily family(item.process);
  WindowSet looked;  // new windows of other processes, once each
  std::optional<milliseconds> startedEndedAt;
  for (;;) {
    presses.DispatchPending();
    WaitFacts facts{milliseconds(::GetTickCount64() - item.startTick)};
    // A list of every process costs a little, so it is taken only when a new window or
    // an ended process may have changed the answer.
    bool lookForDescendants = family.NoteEnds();
    if (family.StartedEnded() && !startedEndedAt) startedEndedAt = facts.now;
    const std::vector<TopWindow> windows = ListTopLevelWindows();
    for (const TopWindow& top : windows) {
      if (!existedBefore.contains(top.window) && top.processId != ::GetCurrentProcessId() &&
          !family.Contains(top.processId) && looked.insert(top.window).second) {
        lookForDescendants = true;
      }
    }
    if (lookForDescendants) family.AddFromSnapshot();

    HWND window = nullptr;
    // Ready for input or not: a launcher that waits for its child never is. A console
    // program's wait fails at once.
    if (!family.StartedEnded() && ::WaitForInputIdle(item.process, 0) == WAIT_FAILED) {
      HWND console = nullptr;
      const LaunchVerdict verdict = LookAtConsole(family.StartedId(), existedBefore, console);
      if (verdict == LaunchVerdict::kGiveUp) return nullptr;
      if (verdict == LaunchVerdict::kPin) {
        window = console;
        facts.candidate = Candidate::kStarted;
      }
    } else if (item.process != nullptr &&
               (window = ShownWindowOf(windows, family.StartedId())) != nullptr) {
      facts.candidate = Candidate::kStarted;
    }
    if (window == nullptr && (window = family.DescendantWindow(windows)) != nullptr) {
      facts.candidate = Candidate::kDescendant;
    }
    if (window == nullptr && (window = ForegroundCandidate(family)) != nullptr) {
      facts.candidate = Candidate::kForeground;
      facts.foreground = ForegroundFactsOf(window, windows, item);
    }
    facts.startedEndedAt = startedEndedAt;
    facts.descendantAlive = family.DescendantAlive();
    facts.pressed = presses.Pressed();
    LaunchVerdict verdict = DecideWait(facts);
    // Asked only of a window that may be pinned: the probe can take its whole time.
    if (verdict == LaunchVerdict::kPin) {
      facts.response = ResponseOf(window);
      verdict = DecideWait(facts);
    }
    if (verdict == LaunchVerdict::kPin) {
      if (pin(window)) return window;
      facts.pinRefused = true;
      verdict = DecideWait(facts);
    }
    if (verdict == LaunchVerdict::kGiveUp) return nullptr;
    // Wakes early when the started process ends, so that a hand-over is looked for at once.
    if (family.StartedEnded()) {
      ::Sleep(kPollMs);
    } else {
      ::WaitForSingleObject(item.process, kPollMs);
    }
  }
}

}  // namespace kavolt

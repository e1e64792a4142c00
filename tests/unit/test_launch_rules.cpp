#include <gtest/gtest.h>

#include <map>

#include "launcher/launch_rules.h"
#include "toolkit/press_counter.h"

namespace kavolt {
namespace {

using namespace std::chrono_literals;
using enum LaunchVerdict;

TEST(LaunchRules, WhichWindowIsPinnedAndWhenTheWaitEnds) {
  using enum Candidate;
  using enum Response;
  const ForegroundFacts desktop{.listed = false, .desktopOrShell = true, .atStart = true};
  const ForegroundFacts shell{.desktopOrShell = true, .existedBefore = true};
  const ForegroundFacts atStart{.atStart = true, .existedBefore = true};
  const ForegroundFacts existed{.existedBefore = true};
  const struct {
    const char* what;
    WaitFacts facts;
    LaunchVerdict verdict;
  } cases[] = {
      {"its own window", {.now = 9s, .candidate = kStarted, .pressed = true}, kPin},
      {"a descendant's, after presses",
       {.now = 9s, .candidate = kDescendant, .startedEndedAt = 1s, .descendantAlive = true,
        .pressed = true},
       kPin},
      {"a relay's window, at its end",
       {.now = 400ms, .candidate = kForeground, .startedEndedAt = 300ms}, kPin},
      {"another program's while it runs", {.now = 1500ms, .candidate = kForeground},
       kKeepWaiting},
      {"the last moment of the grace",
       {.now = 5300ms, .candidate = kForeground, .startedEndedAt = 300ms}, kPin},
      {"after the grace", {.now = 5400ms, .candidate = kForeground, .startedEndedAt = 300ms},
       kGiveUp},
      {"after a press",
       {.now = 1s, .candidate = kForeground, .startedEndedAt = 300ms, .pressed = true}, kGiveUp},
      {"a window that was there before",
       {.now = 1s, .candidate = kForeground, .foreground = existed, .startedEndedAt = 300ms},
       kKeepWaiting},
      {"the foreground at the start",
       {.now = 1s, .candidate = kForeground, .foreground = atStart, .startedEndedAt = 300ms},
       kKeepWaiting},
      {"the desktop",
       {.now = 1s, .candidate = kForeground, .foreground = desktop, .startedEndedAt = 300ms},
       kKeepWaiting},
      {"the shell's window",
       {.now = 1s, .candidate = kForeground, .foreground = shell, .startedEndedAt = 300ms},
       kKeepWaiting},
      {"a busy window of its own", {.now = 2s, .candidate = kStarted, .response = kBusy},
       kKeepWaiting},
      {"a hung window", {.now = 2s, .candidate = kStarted, .response = kHung}, kGiveUp},
      {"a pin that did not take", {.now = 2s, .candidate = kStarted, .pinRefused = true},
       kKeepWaiting},
      {"nothing yet while it runs", {.now = 9s, .pressed = true}, kKeepWaiting},
      {"nothing, ended, in the grace", {.now = 1s, .startedEndedAt = 300ms}, kKeepWaiting},
      {"a press while a descendant lives",
       {.now = 9s, .startedEndedAt = 300ms, .descendantAlive = true, .pressed = true},
       kKeepWaiting},
      {"the time-out", {.now = 10s}, kGiveUp},
  };
  for (const auto& c : cases) EXPECT_EQ(DecideWait(c.facts), c.verdict) << c.what;
}

TEST(LaunchRules, AConsoleIsPinnedOnlyInAWindowOfItsOwn) {
  const struct {
    const char* what;
    ConsoleFacts facts;
    LaunchVerdict verdict;
  } cases[] = {
      {"no console window yet", {}, kKeepWaiting},
      {"its console's window, or a new terminal's", {true, false, false, true}, kPin},
      {"a tab in the person's terminal", {true, false, true, true}, kGiveUp},
      {"a console that was there before", {true, true, true, true}, kGiveUp},
      {"a pseudo console not yet owned", {true, false, false, false}, kKeepWaiting},
  };
  for (const auto& c : cases) EXPECT_EQ(DecideConsole(c.facts), c.verdict) << c.what;
}

TEST(LaunchRules, DescendantsAreFoundWhateverTheListsOrder) {
  // The started process is 10, created at 100; 40's id once belonged to an older process.
  const std::map<std::uint32_t, std::uint64_t> created{
      {20, 110}, {30, 120}, {40, 90}, {50, 130}, {70, 140}};
  const std::vector<ListedProcess> listed{
      {30, 20},  // a grandchild listed before its parent
      {20, 10}, {40, 10}, {50, 60}, {60, 10}, {70, 60}, {80, 5}};
  std::vector<std::uint32_t> opened;
  const auto creationTimeOf = [&](std::uint32_t id) -> std::optional<std::uint64_t> {
    opened.push_back(id);
    const auto found = created.find(id);  // 60 is refused: neither it nor its children count
    return found == created.end() ? std::nullopt : std::optional(found->second);
  };
  const std::vector<KnownProcess> family{{10, 100}};
  std::vector<std::uint32_t> ids;
  for (const KnownProcess& found : NewDescendants(family, listed, creationTimeOf)) {
    ids.push_back(found.id);
  }
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{20, 30}));
  EXPECT_EQ(opened.size(), 4u) << "only children of the family are opened, each once";
}

TEST(LaunchRules, OnlyNewPressesCount) {
  std::bitset<256> down;
  down.set(0x0D);  // the Enter that started Kavolt
  const struct {
    const char* what;
    std::vector<std::pair<std::uint8_t, bool>> keys;
    bool pressed;
  } cases[] = {
      {"the Enter repeats and is released", {{0x0D, true}, {0x0D, false}}, false},
      {"a key", {{0x41, true}}, true},
      {"the Enter pressed again", {{0x0D, false}, {0x0D, true}}, true},
  };
  for (const auto& c : cases) {
    PressCounter counter;
    counter.Start(down);
    for (const auto& [key, isDown] : c.keys) counter.Key(key, isDown);
    EXPECT_EQ(counter.Pressed(), c.pressed) << c.what;
  }
}

}  // namespace
}  // namespace kavolt

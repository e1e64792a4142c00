// When the question tries again to take the foreground and the keyboard. No windowing
// code here: the question asks the system and hands the answers to this rule.
#pragma once

#include <chrono>

namespace kavolt {

using std::chrono::milliseconds;

// How long after it shows the question may still take the foreground.
inline constexpr milliseconds kForegroundRetryPeriod{500};

// Windows may refuse the question the foreground at first, since the press that picked a
// window activated that window. It tries again only while it is not in the foreground,
// within kForegroundRetryPeriod, and never once the person has pressed a key or button
// since it showed: Kavolt must not take the focus back from where the person put it.
bool RetakeForeground(milliseconds sinceShown, bool inForeground, bool pressedSinceShown);

}  // namespace kavolt

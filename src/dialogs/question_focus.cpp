#include "dialogs/question_focus.h"

namespace kavolt {

bool RetakeForeground(milliseconds sinceShown, bool inForeground, bool pressedSinceShown) {
  return !inForeground && !pressedSinceShown && sinceShown <= kForegroundRetryPeriod;
}

}  // namespace kavolt

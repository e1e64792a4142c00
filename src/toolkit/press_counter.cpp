#include "toolkit/press_counter.h"

namespace kavolt {

void PressCounter::Start(const std::bitset<256>& keysDown) {
  down_ = keysDown;
  pressed_ = false;
}

void PressCounter::Key(std::uint8_t virtualKey, bool down) {
  if (!down) {
    down_.reset(virtualKey);
  } else if (!down_.test(virtualKey)) {
    down_.set(virtualKey);
    pressed_ = true;
  }
}

}  // namespace kavolt

// Counting the person's presses of keys and mouse buttons. No windowing code here: the
// caller reads the input and hands each key and button to the counter.
#pragma once

#include <bitset>
#include <cstdint>

namespace kavolt {

// Moves, releases and the repeats of a key held down do not count. The keys already down
// when counting starts (the Enter that started Kavolt) repeat without counting too.
class PressCounter {
 public:
  void Start(const std::bitset<256>& keysDown);
  void Key(std::uint8_t virtualKey, bool down);
  void ButtonDown() { pressed_ = true; }
  bool Pressed() const { return pressed_; }

 private:
  std::bitset<256> down_;
  bool pressed_ = false;
};

}  // namespace kavolt

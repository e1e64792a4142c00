// The one way Kavolt ends: at once, whoever asks, with the system arrow put back if a
// pick mode still has it swapped. No handler of the program runs after it, and every
// window of the program goes with it.
#pragma once

namespace kavolt {

[[noreturn]] void EndProgram(unsigned exitCode = 0);

}  // namespace kavolt

// The program as a whole, apart from the entry point, so test builds can run it too.
// It never returns: the program ends from inside it.
#pragma once

namespace kavolt {

[[noreturn]] void RunKavolt();

}  // namespace kavolt

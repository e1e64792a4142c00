// The program as a whole, apart from the entry point, so test builds can run it too.
#pragma once

namespace kavolt {

int RunKavolt();

}  // namespace kavolt

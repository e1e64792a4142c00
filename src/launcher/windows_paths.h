// The platform's answers to the path rules' two questions.
#pragma once

#include "launcher/path_rules.h"

namespace kavolt {

// isDirectory from the file attributes; canonicalize without the MAX_PATH limit
// (a result longer than that comes back as a "\\?\" path).
const PathQuestions& WindowsPathQuestions();

}  // namespace kavolt

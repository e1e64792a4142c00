// The light-yellow hint that hangs below the cursor while a pick mode is armed.
#pragma once

#include "forms/controls.h"
#include "forms/form.h"

namespace kavolt {

class FrmGuide : public Form {
 public:
  static constexpr wchar_t kClassName[] = L"KavoltGuideWindow";

  FrmGuide();

  Label lblMsg;
};

}  // namespace kavolt

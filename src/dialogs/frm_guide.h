// The light-yellow hint that hangs below the cursor while a pick mode is armed.
#pragma once

#include "forms/controls.h"
#include "forms/form.h"

namespace kavolt {

class FrmGuide : public Form {
 public:
  static constexpr wchar_t kClassName[] = L"KavoltGuideWindow";

  FrmGuide();

  // Moves the guide to hang below the cursor at this point; false, and nothing done,
  // while the guide does not exist.
  bool FollowCursor(POINT cursor);

  Label lblMsg;

 private:
  // Created where it hangs below the cursor: a mode armed shows it there at once.
  std::optional<POINT> PlaceAtCreation(SIZE outer, unsigned dpi) override;
  static POINT BelowCursor(POINT cursor, SIZE outer, unsigned dpi);
};

}  // namespace kavolt

#pragma once

#include <windows.h>

#include <functional>

#include "forms/form.h"

namespace kavolt {

class Timer {
 public:
  Timer(Form& form, UINT intervalMs, bool enabledByDesign, std::function<void()> onTick);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);

 private:
  friend class Form;
  void Apply();

  Form& form_;
  UINT interval_;
  bool enabledByDesign_;
  bool enabled_;
  std::function<void()> onTick_;
};

}  // namespace kavolt

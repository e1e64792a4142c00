#include "forms/timer.h"

#include <algorithm>

namespace kavolt {

Timer::Timer(Form& form, UINT intervalMs, bool enabledByDesign, std::function<void()> onTick)
    : form_(form),
      interval_(intervalMs),
      enabledByDesign_(enabledByDesign),
      enabled_(false),
      onTick_(std::move(onTick)) {
  form_.Adopt(*this);
}

void Timer::SetEnabled(bool enabled) {
  form_.Handle();
  enabled_ = enabled;
  Apply();
}

void Timer::Apply() {
  if (form_.window_ == nullptr) return;
  const auto position = std::find(form_.timers_.begin(), form_.timers_.end(), this);
  const auto id = static_cast<UINT_PTR>(position - form_.timers_.begin()) + 1;
  if (enabled_) {
    ::SetTimer(form_.window_, id, interval_, nullptr);
  } else {
    ::KillTimer(form_.window_, id);
  }
}

}  // namespace kavolt

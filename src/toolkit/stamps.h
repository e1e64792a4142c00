// Moments that the benchmark's instrumented copy of Kavolt records, to show where the time
// of a start and of a pick goes (tests/tools/kavolt_stamps.cpp, run by scripts/bench.sh).
// kavolt.exe is built without KAVOLT_STAMPS, and nothing of them is left in it.
#pragma once

// Each point with the name the benchmark prints; the benchmark's reference program
// stamps the same points where it does the same thing.
#define KAVOLT_STAMP_POINTS(X)                  \
  X(kEntry, "entry")                            \
  X(kCommonControls, "common controls")         \
  X(kSingleInstance, "single instance")         \
  X(kWindowCreated, "window created")           \
  X(kFontAsked, "font asked")                   \
  X(kFontMade, "font made")                     \
  X(kControlsCreated, "controls created")       \
  X(kVersionRead, "version read")               \
  X(kCaptionSet, "caption set")                 \
  X(kArgumentsRead, "arguments read")           \
  X(kTopmost, "topmost")                        \
  X(kTimerEnabled, "timer enabled")             \
  X(kArrowRepaired, "arrow repaired")           \
  X(kArrowCopied, "arrow copied")               \
  X(kLoaded, "loaded")                          \
  X(kTooltips, "tooltips")                      \
  X(kShown, "shown")                            \
  X(kDrawn, "drawn")                            \
  X(kPassStart, "pass start")                   \
  X(kButtonUp, "button up")                     \
  X(kButtonDown, "button down")                 \
  X(kPassEnd, "pass end")                       \
  X(kArrowBack, "arrow back")                   \
  X(kGuideClosed, "guide closed")               \
  X(kQuestionText, "question text")

namespace kavolt {

enum class StampPoint : unsigned {
#define KAVOLT_STAMP_ENUM(point, name) point,
  KAVOLT_STAMP_POINTS(KAVOLT_STAMP_ENUM)
#undef KAVOLT_STAMP_ENUM
};

// Records the moment; defined by the instrumented copy alone.
void Stamp(StampPoint point) noexcept;

}  // namespace kavolt

// A stamp where the code runs; without KAVOLT_STAMPS nothing, not even a statement.
#ifdef KAVOLT_STAMPS
#define KAVOLT_STAMP(point) ::kavolt::Stamp(::kavolt::StampPoint::point)
#else
#define KAVOLT_STAMP(point) static_cast<void>(0)
#endif

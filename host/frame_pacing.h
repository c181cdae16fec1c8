// The paced loop's frame budget: when an idle pass draws, and how long it sleeps.
#pragma once
#include <cstdint>

enum class PaceAction {
    Draw,   // call the idle callback now
    Sleep,  // wait: the frame is not due yet
};

// The longest debt the budget carries. A frame that overran is made up for by
// back-to-back frames; a longer stall (a debugger, a suspended machine) is forgiven
// at once, so the model never fast-forwards.
constexpr float kLargestPacingDebt = 0.25f;

// One idle pass of the paced loop. `budget` (seconds) loses the time measured since
// the previous pass; within a millisecond of 0 or below a frame is due and one
// period is added back. Otherwise `*sleepMilliseconds` is how long to sleep: the
// whole milliseconds left, at least one, so a frame's wait is one sleep rather than
// many short ones or a spin. A frame drawn up to a millisecond early or late leaves
// its share in the budget, so the rate over time is exact.
PaceAction PaceIdlePass(float* budget, float elapsedSeconds, float period, uint32_t* sleepMilliseconds);

// Frames a second when no usable limit is stored and the system reports no refresh
// rate for the display.
constexpr uint32_t kDefaultFrameRateLimit = 60;

// The frame-rate limit a run is started with (the stored "FrameRateLimit", or a
// command line's): the host caps every window's frames by it.
struct FrameRateLimit {
    uint32_t perSecond = kDefaultFrameRateLimit;  // 0: unpaced
    bool fromDisplay = true;  // none given: each window follows its display's refresh rate
};

// The frames a second the loop draws at most: a stored limit as it stands (0: no
// cap); without one, the display's refresh rate (`displayRefreshHz`, 0 or 1 where
// the system reports none), or else `frameRateLimit`. The model's speed never
// depends on it: its motion is timed.
uint32_t FrameCap(uint32_t frameRateLimit, bool fromDisplay, uint32_t displayRefreshHz);

// A display mode's refresh rate from its timings (the pixel clock and the total
// pixels a line and lines a frame, blanking included), rounded to whole frames a
// second: 59.94 is 60. 0 for a mode without timings.
uint32_t RefreshRateOfMode(uint64_t pixelClockHz, uint32_t horizontalTotal, uint32_t verticalTotal, bool doubleScan,
                           bool interlaced);

// The loop's pacing for a frame-rate limit: 0 draws on every idle pass (unpaced),
// any other limit keeps a budget of 1 / limit seconds a frame.
class FramePacer {
public:
    explicit FramePacer(uint32_t frameRateLimit)
        : period_(frameRateLimit != 0 ? 1.0f / static_cast<float>(frameRateLimit) : 0.0f) {}
    bool unpaced() const { return period_ == 0.0f; }
    // `elapsedSeconds`: the time since the previous pass.
    PaceAction Pass(float elapsedSeconds, uint32_t* sleepMilliseconds) {
        *sleepMilliseconds = 0;
        return unpaced() ? PaceAction::Draw : PaceIdlePass(&budget_, elapsedSeconds, period_, sleepMilliseconds);
    }

private:
    float period_;
    float budget_ = 0.0f;
};

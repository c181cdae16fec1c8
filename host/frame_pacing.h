// The paced loop's frame budget: when an idle pass draws, sleeps or spins.
#pragma once
#include <cstdint>

enum class PaceAction {
    Draw,   // call SaverIdle now
    Sleep,  // more than 1 ms of budget left: sleep 1 ms
    Spin,   // within the last millisecond: look again at once
};

// The longest debt the budget carries. A frame that overran is made up for by
// back-to-back frames; a longer stall (a debugger, a suspended machine) is forgiven
// at once, so the model never fast-forwards.
constexpr float kLargestPacingDebt = 0.25f;

// One idle pass of the paced loop. `budget` (seconds) loses the time measured since
// the previous pass; at or below 0 a frame is due and one period is added back.
PaceAction PaceIdlePass(float* budget, float elapsedSeconds, float period);

// The loop's pacing for a frame-rate limit: 0 draws on every idle pass (unpaced),
// any other limit keeps a budget of 1 / limit seconds a frame.
class FramePacer {
public:
    explicit FramePacer(uint32_t frameRateLimit)
        : period_(frameRateLimit != 0 ? 1.0f / static_cast<float>(frameRateLimit) : 0.0f) {}
    bool unpaced() const { return period_ == 0.0f; }
    // `elapsedSeconds`: the time since the previous pass.
    PaceAction Pass(float elapsedSeconds) {
        return unpaced() ? PaceAction::Draw : PaceIdlePass(&budget_, elapsedSeconds, period_);
    }

private:
    float period_;
    float budget_ = 0.0f;
};

#include "host/frame_pacing.h"

uint32_t FrameCap(uint32_t frameRateLimit, bool fromDisplay, uint32_t displayRefreshHz) {
    return fromDisplay && displayRefreshHz > 1 ? displayRefreshHz : frameRateLimit;
}

PaceAction PaceIdlePass(float* budget, float elapsedSeconds, float period, uint32_t* sleepMilliseconds) {
    *budget -= elapsedSeconds;
    if (*budget < -kLargestPacingDebt) *budget = 0.0f;
    if (*budget <= 0.001f) {
        *budget += period;
        return PaceAction::Draw;
    }
    // More than a millisecond is left here, so the whole milliseconds are at least one.
    *sleepMilliseconds = static_cast<uint32_t>(*budget * 1000.0f);
    return PaceAction::Sleep;
}

#include "host/frame_pacing.h"

PaceAction PaceIdlePass(float* budget, float elapsedSeconds, float period, uint32_t* sleepMilliseconds) {
    *budget -= elapsedSeconds;
    if (*budget < -kLargestPacingDebt) *budget = 0.0f;
    if (*budget <= 0.001f) {
        *budget += period;
        return PaceAction::Draw;
    }
    const float wholeMilliseconds = *budget * 1000.0f;
    *sleepMilliseconds = wholeMilliseconds >= 2.0f ? static_cast<uint32_t>(wholeMilliseconds) : 1u;
    return PaceAction::Sleep;
}

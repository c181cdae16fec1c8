#include "host/frame_pacing.h"

PaceAction PaceIdlePass(float* budget, float elapsedSeconds, float period) {
    *budget -= elapsedSeconds;
    if (*budget < -kLargestPacingDebt) *budget = 0.0f;
    if (*budget <= 0.0f) {
        *budget += period;
        return PaceAction::Draw;
    }
    return *budget > 0.001f ? PaceAction::Sleep : PaceAction::Spin;
}

#include "host/frame_pacing.h"

#include <cmath>

uint32_t FrameCap(uint32_t frameRateLimit, bool fromDisplay, uint32_t displayRefreshHz) {
    return fromDisplay && displayRefreshHz > 1 ? displayRefreshHz : frameRateLimit;
}

uint32_t RefreshRateOfMode(uint64_t pixelClockHz, uint32_t horizontalTotal, uint32_t verticalTotal, bool doubleScan,
                           bool interlaced) {
    if (pixelClockHz == 0 || horizontalTotal == 0 || verticalTotal == 0) return 0;
    double lines = static_cast<double>(verticalTotal);
    if (doubleScan) lines *= 2.0;  // every line is sent twice
    if (interlaced) lines /= 2.0;  // a refresh sends one field, half the lines
    return static_cast<uint32_t>(std::lround(static_cast<double>(pixelClockHz) / (horizontalTotal * lines)));
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

#include "host/paced_loop.h"

#include <algorithm>
#include <limits>

namespace {
constexpr uint32_t kIdleWaitMilliseconds = 100;
}  // namespace

uint32_t PacedPass(PacedLoopPort& port, const std::vector<PacedSurface*>& surfaces) {
    if (surfaces.empty()) return kIdleWaitMilliseconds;
    bool drew = false;
    bool unpaced = false;
    uint32_t wait = std::numeric_limits<uint32_t>::max();
    for (PacedSurface* surface : surfaces) {
        const double now = port.Seconds();
        const float elapsed =
            surface->previousPass < 0.0 ? 0.0f : static_cast<float>(std::max(0.0, now - surface->previousPass));
        surface->previousPass = now;
        uint32_t sleepMilliseconds = 0;
        if (surface->pacer.Pass(elapsed, &sleepMilliseconds) == PaceAction::Draw) {
            port.DrawFrame(*surface);
            drew = true;
            unpaced = unpaced || surface->pacer.unpaced();
        } else {
            wait = std::min(wait, sleepMilliseconds);
        }
    }
    if (!drew) return wait;
    port.AfterFrames(unpaced);
    return 0;
}

void RunPacedLoop(PacedLoopPort& port) {
    while (port.HandleEvents()) {
        const uint32_t wait = PacedPass(port, port.Surfaces());
        if (wait > 0) port.WaitForEvents(wait);
    }
}

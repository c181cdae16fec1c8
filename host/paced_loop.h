// The frame loop both hosts run: input first, then a frame for every window whose
// pacing allows one, each window at its own rate; between frames the loop sleeps until
// the next one is nearly due, waking at once for input.
#pragma once
#include <cstdint>
#include <vector>

#include "host/frame_pacing.h"

// A window's place in the loop: its pacing and the time of its previous pass.
struct PacedSurface {
    explicit PacedSurface(uint32_t frameCap) : pacer(frameCap) {}
    FramePacer pacer;
    double previousPass = -1.0;  // seconds on the port's clock; negative before the first
};

// What the loop needs of a host's platform.
class PacedLoopPort {
public:
    virtual ~PacedLoopPort() = default;
    // Handles every event waiting; false once the run is over.
    virtual bool HandleEvents() = 0;
    // The windows to draw now (they may change while the loop runs).
    virtual std::vector<PacedSurface*> Surfaces() = 0;
    // One frame of a window (it may choose to draw nothing).
    virtual void DrawFrame(PacedSurface& surface) = 0;
    // After a pass that drew: `unpaced` when a window draws without a cap, which
    // should then give up the rest of its time slice.
    virtual void AfterFrames(bool unpaced) = 0;
    // Sleeps up to `milliseconds`, returning early when input arrives.
    virtual void WaitForEvents(uint32_t milliseconds) = 0;
    // Seconds on a steady clock.
    virtual double Seconds() = 0;
};

// Runs until HandleEvents says the run is over. A loop without windows waits for
// events a tenth of a second at a time.
void RunPacedLoop(PacedLoopPort& port);

// One pass of the loop over the windows: draws those whose frame is due and returns
// how long the loop may sleep (0 after a pass that drew).
uint32_t PacedPass(PacedLoopPort& port, const std::vector<PacedSurface*>& surfaces);

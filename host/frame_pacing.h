// The paced loop's frame budget: when an idle pass draws, sleeps or spins.
#pragma once

enum class PaceAction {
    Draw,   // call SaverIdle now
    Sleep,  // more than 1 ms of budget left: sleep 1 ms
    Spin,   // within the last millisecond: look again at once
};

// One idle pass of the paced loop. `budget` (seconds) loses the time measured since
// the previous pass; at or below 0 a frame is due and one period is added back.
// Frames that overrun leave a debt that back-to-back frames repay; a debt of more
// than 1000 s (a suspended machine) is forgiven at once.
PaceAction PaceIdlePass(float* budget, float elapsedSeconds, float period);

// The mouse rule of a running saver: how far the pointer may wander before the run ends.
#pragma once
#include "host/host_state.h"

// |dx| + |dy| between the reference position and the current one.
int64_t MouseDistance(ScreenPoint reference, ScreenPoint current);

// True when a move to `current` ends the saver: the distance exceeds the threshold.
bool MouseMoveEndsSaver(ScreenPoint reference, ScreenPoint current, int32_t threshold);

// The threshold of 4 pixels at 96 DPI scaled to a window's DPI, so the hand moves as
// far on a 200 % screen (8 pixels) as on a 100 % one; 0 (DPI unknown) keeps 4.
int32_t MouseThresholdForDpi(uint32_t dpi);

// The mouse rule of a running saver: how far the pointer may wander before the run ends.
#pragma once
#include "host/host_state.h"

// |dx| + |dy| between the reference position and the current one.
int64_t MouseDistance(ScreenPoint reference, ScreenPoint current);

// True when a move to `current` ends the saver: the distance exceeds the threshold.
bool MouseMoveEndsSaver(ScreenPoint reference, ScreenPoint current, int32_t threshold);

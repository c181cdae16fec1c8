#include "host/mouse_rule.h"

int64_t MouseDistance(ScreenPoint reference, ScreenPoint current) {
    int64_t dx = static_cast<int64_t>(reference.x) - current.x;
    int64_t dy = static_cast<int64_t>(reference.y) - current.y;
    return (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy);
}

bool MouseMoveEndsSaver(ScreenPoint reference, ScreenPoint current, int32_t threshold) {
    return MouseDistance(reference, current) > threshold;
}

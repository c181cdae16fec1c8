#include "host/mouse_rule.h"

int64_t MouseDistance(ScreenPoint reference, ScreenPoint current) {
    int64_t dx = static_cast<int64_t>(reference.x) - current.x;
    int64_t dy = static_cast<int64_t>(reference.y) - current.y;
    return (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy);
}

bool MouseMoveEndsSaver(ScreenPoint reference, ScreenPoint current, int32_t threshold) {
    return MouseDistance(reference, current) > threshold;
}

int32_t MouseThresholdForDpi(uint32_t dpi) {
    constexpr int32_t kThresholdAt96Dpi = 4;
    if (dpi == 0) return kThresholdAt96Dpi;
    const int64_t scaled = (static_cast<int64_t>(kThresholdAt96Dpi) * dpi + 48) / 96;
    return scaled < 1 ? 1 : static_cast<int32_t>(scaled > INT32_MAX ? INT32_MAX : scaled);
}

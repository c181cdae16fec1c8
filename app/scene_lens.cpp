#include "app/scene_lens.h"

#include <algorithm>
#include <cmath>

HalfExtent VisibleHalfExtent(int halfWidth, int halfHeight) {
    const double halfAngle = kFieldOfViewDegrees * 0.5 * 3.14159265358979323846 / 180.0;
    const float y = kEyeDistance * static_cast<float>(std::tan(halfAngle));
    const float aspect = halfHeight > 0 ? static_cast<float>(halfWidth) / static_cast<float>(halfHeight) : 1.0f;
    return {y * aspect, y};
}

HalfExtent ComputeDriftBounds(int halfWidth, int halfHeight) {
    const HalfExtent visible = VisibleHalfExtent(halfWidth, halfHeight);
    return {std::min(static_cast<float>(halfWidth / 2 - 40), visible.x),
            std::min(static_cast<float>(halfHeight / 2 - 40), visible.y)};
}

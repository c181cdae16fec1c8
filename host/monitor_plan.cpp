#include "host/monitor_plan.h"

#include <algorithm>

MonitorLayout MonitorLayoutFromStored(uint32_t stored) {
    switch (stored) {
        case 1: return MonitorLayout::Across;
        case 2: return MonitorLayout::MainOnly;
        default: return MonitorLayout::Each;
    }
}

std::vector<SaverWindowPlan> PlanFullScreenWindows(const std::vector<MonitorArea>& monitors, MonitorLayout layout,
                                                   const MonitorArea& desktop) {
    std::vector<MonitorArea> usable;
    for (const MonitorArea& monitor : monitors)
        if (monitor.width > 0 && monitor.height > 0) usable.push_back(monitor);
    if (usable.empty()) {
        MonitorArea only = desktop;
        only.main = true;
        usable.push_back(only);
    }
    // A desktop that names no main monitor has its first one as the main.
    if (std::none_of(usable.begin(), usable.end(), [](const MonitorArea& m) { return m.main; }))
        usable.front().main = true;

    std::vector<SaverWindowPlan> plan;
    if (layout == MonitorLayout::Across) {
        const auto main = std::find_if(usable.begin(), usable.end(), [](const MonitorArea& m) { return m.main; });
        int64_t left = usable.front().x, top = usable.front().y;
        int64_t right = left + usable.front().width, bottom = top + usable.front().height;
        for (const MonitorArea& m : usable) {
            left = std::min<int64_t>(left, m.x);
            top = std::min<int64_t>(top, m.y);
            right = std::max<int64_t>(right, int64_t{m.x} + m.width);
            bottom = std::max<int64_t>(bottom, int64_t{m.y} + m.height);
        }
        SaverWindowPlan across;
        across.area = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
                       static_cast<int32_t>(bottom - top), true, main->refreshHz};
        plan.push_back(across);
        return plan;
    }
    for (const MonitorArea& m : usable) plan.push_back({m, layout == MonitorLayout::Each || m.main});
    return plan;
}

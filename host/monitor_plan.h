// Where a full-screen run puts its windows: one per monitor, one across them all, or
// the lodge on the main monitor with the others black.
#pragma once
#include <cstdint>
#include <vector>

// The stored "Monitors" value.
enum class MonitorLayout : uint32_t {
    Each = 0,      // every monitor its own lodge
    Across = 1,    // one lodge over the box of all monitors
    MainOnly = 2,  // the lodge on the main monitor, the others black
};

// A stored value as a layout: anything but the three known values is Each.
MonitorLayout MonitorLayoutFromStored(uint32_t stored);

// One monitor of the desktop, in virtual-screen pixels.
struct MonitorArea {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool main = false;
    uint32_t refreshHz = 0;  // 0 or 1 where the system names no rate
};

// One full-screen window: its rectangle, the rate its frames follow, and whether it
// draws the lodge or stays black.
struct SaverWindowPlan {
    MonitorArea area;
    bool drawsLodge = true;
};

// The windows of a full-screen run. Monitors without area are passed over; with none
// left, `desktop` (the virtual screen) is the one monitor. Across covers the box of
// all monitors at the main monitor's rate. Each and MainOnly keep the monitors' order.
std::vector<SaverWindowPlan> PlanFullScreenWindows(const std::vector<MonitorArea>& monitors, MonitorLayout layout,
                                                   const MonitorArea& desktop);

inline bool operator==(const MonitorArea& a, const MonitorArea& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height && a.main == b.main &&
           a.refreshHz == b.refreshHz;
}
inline bool operator==(const SaverWindowPlan& a, const SaverWindowPlan& b) {
    return a.area == b.area && a.drawsLodge == b.drawsLodge;
}

// A full-screen run on several monitors: which windows it makes, each window's own
// frame rate in the shared loop, and one model read for all of them.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/shared_model_read.h"
#include "host/monitor_plan.h"
#include "host/paced_loop.h"

namespace {

// 1920x1080 at 60 Hz, and 1280x1024 at 144 Hz to its right, 256 lower.
const std::vector<MonitorArea> kDesk = {{0, 0, 1920, 1080, true, 60}, {1920, 256, 1280, 1024, false, 144}};
const MonitorArea kDesktop = {0, 0, 3200, 1280, false, 0};

TEST(MonitorPlan, EachMonitorItsOwnWindowAcrossOneBoxMainOnlyTheOthersBlack) {
    const auto each = PlanFullScreenWindows(kDesk, MonitorLayout::Each, kDesktop);
    ASSERT_EQ(each.size(), 2u);
    EXPECT_TRUE(each[1].area == kDesk[1]) << "its own rectangle and rate";
    EXPECT_TRUE(each[0].drawsLodge && each[1].drawsLodge);

    const auto across = PlanFullScreenWindows(kDesk, MonitorLayout::Across, kDesktop);
    ASSERT_EQ(across.size(), 1u);
    const MonitorArea box = {0, 0, 3200, 1280, true, 60};
    EXPECT_TRUE(across[0].area == box) << "the box of both, at the main monitor's rate";

    // The main monitor listed second, as a desk may list it.
    const std::vector<MonitorArea> mainSecond = {kDesk[1], kDesk[0]};
    const auto mainOnly = PlanFullScreenWindows(mainSecond, MonitorLayout::MainOnly, kDesktop);
    ASSERT_EQ(mainOnly.size(), 2u);
    EXPECT_FALSE(mainOnly[0].drawsLodge);
    EXPECT_TRUE(mainOnly[1].drawsLodge);
}

TEST(MonitorPlan, NoUsableMonitorIsTheDesktopAndUnknownStoredValuesAreEach) {
    const auto plan = PlanFullScreenWindows({{5, 5, 0, 768, true, 60}}, MonitorLayout::MainOnly, kDesktop);
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].area.width, 3200);
    EXPECT_TRUE(plan[0].drawsLodge) << "the only window is the main one";
    EXPECT_EQ(MonitorLayoutFromStored(2), MonitorLayout::MainOnly);
    EXPECT_EQ(MonitorLayoutFromStored(3), MonitorLayout::Each);
    EXPECT_EQ(MonitorLayoutFromStored(0xFFFFFFFFu), MonitorLayout::Each);
}

// A loop over windows of given caps on a clock that only waiting moves on, each frame
// taking a millisecond.
class FakeLoopPort : public PacedLoopPort {
public:
    explicit FakeLoopPort(std::vector<uint32_t> caps, double seconds) : end_(seconds) {
        for (uint32_t cap : caps) surfaces_.emplace_back(cap);
        frames.assign(caps.size(), 0);
    }
    bool HandleEvents() override { return now_ < end_; }
    std::vector<PacedSurface*> Surfaces() override {
        std::vector<PacedSurface*> all;
        for (PacedSurface& s : surfaces_) all.push_back(&s);
        return all;
    }
    void DrawFrame(PacedSurface& surface) override {
        ++frames[static_cast<size_t>(&surface - surfaces_.data())];
        now_ += 0.001;
    }
    void AfterFrames(bool) override {}
    void WaitForEvents(uint32_t milliseconds) override { now_ += milliseconds / 1000.0; }
    double Seconds() override { return now_; }
    std::vector<int> frames;

private:
    std::vector<PacedSurface> surfaces_;
    double now_ = 0.0;
    double end_;
};

TEST(PacedLoop, EveryWindowDrawsAtItsOwnRate) {
    FakeLoopPort port({60, 144}, 2.0);
    RunPacedLoop(port);
    EXPECT_NEAR(port.frames[0], 120, 3) << "60 a second";
    EXPECT_NEAR(port.frames[1], 288, 6) << "144 a second, not capped at the other's 60";
}

// A grid of two triangles as an OBJ file.
std::string WriteSquareObj() {
    const std::string path = ::testing::TempDir() + "velmora_shared_square.obj";
    std::ofstream(path) << "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3\nf 1 3 4\n";
    return path;
}

TEST(SharedModelRead, TheRunsWindowsShareOneReadAndALateWindowStartsAnother) {
    SceneModelChoice choice;
    choice.chosenFile = WriteSquareObj();
    choice.builtInReady = false;
    int prepared = 0;
    const auto prepare = [&] {
        ++prepared;
        return choice;
    };
    auto first = JoinModelRead(prepare);
    auto second = JoinModelRead(prepare);
    auto third = JoinModelRead(prepare);
    EXPECT_EQ(prepared, 1) << "one read (and one unpacking) for all";
    third.reset();  // a window gone before the model came
    first->wait();
    ASSERT_TRUE(second->finished());
    const SceneModelRead a = first->take();
    const SceneModelRead b = second->take();
    EXPECT_TRUE(a.loaded && b.loaded);
    EXPECT_EQ(a.model.TriangleCount(), 2);
    EXPECT_EQ(b.model.TriangleCount(), 2) << "each window its own whole model";
    // Every window took it: a window made later (a monitor added) reads again.
    auto late = JoinModelRead(prepare);
    EXPECT_EQ(prepared, 2);
    late->wait();
    EXPECT_EQ(late->take().model.TriangleCount(), 2);
    std::remove(choice.chosenFile.c_str());
}

}  // namespace

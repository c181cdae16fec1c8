// One saver session driven as a host drives it: started in an offscreen context with
// settings of its own, asked for frames, resized, ended.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/saver_session.h"
#include "app/settings.h"
#include "tests/unit/gl_test_context.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

// The host's side: the context, and the swaps the session asks for.
struct FakeHost {
    GlTestContext gl{kWidth, kHeight};
    int swaps = 0;

    static void Swap(void* host) { ++static_cast<FakeHost*>(host)->swaps; }
    std::unique_ptr<SaverSession> Start(const SaverSettings& settings) {
        // Nothing unpacked: the cube, which is read at once.
        return std::make_unique<SaverSession>(settings, kWidth, kHeight, [] { return false; }, false, Swap, this);
    }
    // Frames until the model is drawn; false when it never is.
    static bool FramesUntilReady(SaverSession& session) {
        for (int frame = 0; frame < 500 && !session.drawing().modelReady; ++frame) {
            session.Frame({});
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return session.drawing().modelReady;
    }
    // Pixels of red from `low` to `high`, without green or blue.
    int RedPixels(int low = 201, int high = 255) const {
        int red = 0;
        const std::vector<uint8_t> pixels = gl.Pixels();
        for (size_t i = 0; i + 2 < pixels.size(); i += 3)
            if (pixels[i] >= low && pixels[i] <= high && pixels[i + 1] < 30 && pixels[i + 2] < 30) ++red;
        return red;
    }
};

// The cube facing the viewer with its red front, standing still.
SaverSettings StillCube() {
    SetDefaults();
    SaverSettings settings = Settings;
    settings.xoff = settings.yoff = settings.zoff = 0;
    settings.xrots = settings.yrots = settings.zrots = 0;
    settings.vel = 0;
    settings.blur = settings.lighting = 0;
    return settings;
}

// A later settings load (another window's start, the dialog's OK) changes the
// process-wide record and the caller's copy; a running session draws on as it was started.
TEST(SaverSession, DrawsWithTheSettingsItWasStartedWithWhateverIsLoadedLater) {
    FakeHost host;
    REQUIRE_GL(host.gl);
    SaverSettings settings = StillCube();
    auto session = host.Start(settings);
    ASSERT_TRUE(FakeHost::FramesUntilReady(*session));
    session->Frame({});
    const int before = host.RedPixels();
    ASSERT_GT(before, 1000) << "the cube's front";
    settings.scale = Settings.scale = 20;
    session->Frame({});
    EXPECT_EQ(host.RedPixels(), before) << "the cube keeps its size";

    // A turning cube without the trail shows its front at full red or not at all; the
    // trail would add its older poses' dimmed reds about the corners.
    settings = StillCube();
    settings.zrots = 40;  // two degrees a step
    session = host.Start(settings);
    Settings.blur = 1;
    ASSERT_TRUE(FakeHost::FramesUntilReady(*session));
    for (int frame = 0; frame < 15; ++frame) {
        std::this_thread::sleep_for(std::chrono::milliseconds(17));
        session->Frame({});
    }
    EXPECT_GT(host.RedPixels(), 1000);
    EXPECT_EQ(host.RedPixels(30, 230), 0) << "no trail drawn";
    session.reset();
    SetDefaults();
}

TEST(SaverSession, PausedFramesMeasureTimeButNeitherDrawNorSwap) {
    FakeHost host;
    REQUIRE_GL(host.gl);
    auto session = host.Start(StillCube());
    ASSERT_TRUE(FakeHost::FramesUntilReady(*session));
    const int swaps = host.swaps;
    glClear(GL_COLOR_BUFFER_BIT);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    FrameRequest paused;
    paused.paused = true;
    session->Frame(paused);
    EXPECT_EQ(host.swaps, swaps);
    EXPECT_EQ(host.RedPixels(), 0) << "nothing drawn while paused";
    EXPECT_GE(session->drawing().frameSeconds, 0.015f) << "the time is measured all the same";
    session->Frame({});
    EXPECT_EQ(host.swaps, swaps + 1);
    EXPECT_GT(host.RedPixels(), 1000);
}

TEST(SaverSession, TheViewFollowsTheSurfaceAndAMinimisedOneChangesNothing) {
    FakeHost host;
    REQUIRE_GL(host.gl);
    auto session = host.Start(StillCube());
    ASSERT_TRUE(FakeHost::FramesUntilReady(*session));
    session->Resize(kWidth / 2, kHeight);
    EXPECT_EQ(session->drawing().halfWidth, kWidth / 4);
    EXPECT_FLOAT_EQ(session->drawing().aspectRatio, 0.5f * kWidth / kHeight);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kWidth / 2);
    session->Resize(0, 0);
    EXPECT_EQ(session->drawing().halfWidth, kWidth / 4);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kWidth / 2);
}

// A window closed at once, its large model still being read on another thread: the
// session ends (the read left to finish on its own), and the next one starts and draws.
TEST(SaverSession, EndsWhileItsModelIsStillReadAndTheNextOneDraws) {
    FakeHost host;
    REQUIRE_GL(host.gl);
    // A flat grid of 2 x 300 x 300 triangles, as an OBJ file.
    const std::string path = ::testing::TempDir() + "velmora_session_grid.obj";
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    constexpr int kCells = 300, kRow = kCells + 1;
    for (int y = 0; y <= kCells; ++y)
        for (int x = 0; x <= kCells; ++x) std::fprintf(file, "v %d %d 0\n", x, y);
    for (int y = 0; y < kCells; ++y)
        for (int x = 0; x < kCells; ++x) {
            const int a = y * kRow + x + 1;
            std::fprintf(file, "f %d %d %d\nf %d %d %d\n", a, a + 1, a + kRow + 1, a, a + kRow + 1, a + kRow);
        }
    std::fclose(file);
    SaverSettings grid = StillCube();
    grid.modelFile = path;
    for (int i = 0; i < 3; ++i) {
        auto reading = host.Start(grid);
        ASSERT_NE(reading->drawing().reading, nullptr);
        EXPECT_FALSE(reading->drawing().reading->finished()) << "ended while the model is read";
    }
    auto session = host.Start(StillCube());
    ASSERT_TRUE(FakeHost::FramesUntilReady(*session));
    session->Frame({});
    EXPECT_GT(host.RedPixels(), 1000);
    std::remove(path.c_str());
}

}  // namespace

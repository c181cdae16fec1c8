// One saver session driven as a host drives it: started in an offscreen context with
// settings of its own, asked for frames, resized, ended.
#include <gtest/gtest.h>

#include <chrono>
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
    int RedPixels() const {
        int red = 0;
        const std::vector<uint8_t> pixels = gl.Pixels();
        for (size_t i = 0; i + 2 < pixels.size(); i += 3)
            if (pixels[i] > 200 && pixels[i + 1] < 40 && pixels[i + 2] < 40) ++red;
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

TEST(SaverSession, DrawsWithTheSettingsItWasStartedWithWhateverIsLoadedLater) {
    FakeHost host;
    REQUIRE_GL(host.gl);
    SaverSettings settings = StillCube();
    auto session = host.Start(settings);
    ASSERT_TRUE(FakeHost::FramesUntilReady(*session));
    session->Frame({});
    const int before = host.RedPixels();
    ASSERT_GT(before, 1000) << "the cube's front";

    // A later settings load (another window's start, the dialog's OK) changes the
    // process-wide record and the caller's copy; the running session draws on as it was.
    settings.scale = Settings.scale = 20;
    settings.blur = Settings.blur = 1;
    session->Frame({});
    EXPECT_EQ(host.RedPixels(), before);
    EXPECT_EQ(session->drawing().scene->settings().scale, 100);
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

// A window closed at once, its model still being read: the session ends without
// waiting for the read, and the next one starts and draws.
TEST(SaverSession, EndsWhileItsModelIsStillReadAndTheNextOneDraws) {
    FakeHost host;
    REQUIRE_GL(host.gl);
    for (int i = 0; i < 5; ++i) host.Start(StillCube()).reset();
    auto session = host.Start(StillCube());
    ASSERT_TRUE(FakeHost::FramesUntilReady(*session));
    session->Frame({});
    EXPECT_GT(host.RedPixels(), 1000);
}

}  // namespace

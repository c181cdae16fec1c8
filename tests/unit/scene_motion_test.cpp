// The scene's motion, frame by frame, and the frame-rate text: no GL involved.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/frame.h"
#include "app/frame_rate_text.h"
#include "app/scene.h"
#include "app/settings.h"

namespace {

class SceneMotion : public ::testing::Test {
protected:
    void SetUp() override {
        SetDefaults();
        halfWidth = 512;
        halfHeight = 384;
        std::srand(7);
    }
    int32_t halfWidth = 0;  // the client area's half sizes
    int32_t halfHeight = 0;
};

TEST_F(SceneMotion, DefaultsTurnAboutZOneDegreeAFrameAndKeepTheTilt) {
    Scene scene(Settings, halfWidth, halfHeight);
    EXPECT_EQ(scene.angleX(), 134.0f);
    for (int frame = 1; frame <= 725; ++frame) {
        scene.Update();
        // 1, 2, ..., 359, 360, then 0 (wrapped to -1 and advanced), 1, ...
        float expected = static_cast<float>(frame % 361);
        ASSERT_EQ(scene.angleZ(), expected) << "frame " << frame;
        ASSERT_EQ(scene.angleX(), 134.0f);
        ASSERT_EQ(scene.angleY(), 0.0f);
    }
}

TEST_F(SceneMotion, LimitedTurnRisesFallsThenKeepsFallingFrom361) {
    Settings.xoff = 0;
    Settings.xrot = 90;
    Settings.xrots = 10;
    Scene scene(Settings, halfWidth, halfHeight);
    std::vector<float> seen;
    for (int frame = 0; frame < 1900; ++frame) {
        scene.Update();
        seen.push_back(scene.angleX());
    }
    // Up by 0.5 to 89, where the look-ahead (angle + 1) reaches 90.
    for (int k = 1; k <= 178; ++k) ASSERT_EQ(seen[k - 1], 0.5f * k) << "rising frame " << k;
    // Down by 0.5 to -0.5.
    for (int k = 1; k <= 179; ++k) ASSERT_EQ(seen[177 + k], 89.0f - 0.5f * k) << "falling frame " << k;
    // Then set to 361 and advanced to 360.5, falling again to -0.5, again and again.
    size_t i = 178 + 179;
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (int k = 0; k <= 722; ++k, ++i) {
            ASSERT_LT(i, seen.size());
            ASSERT_EQ(seen[i], 360.5f - 0.5f * k) << "cycle " << cycle << " step " << k;
        }
    }
}

TEST_F(SceneMotion, EndlessTurnWrapsAt360) {
    Settings.zoff = 0;
    Settings.zrot = 360;
    Settings.zrots = 20;
    Scene scene(Settings, halfWidth, halfHeight);
    for (int i = 0; i < 358; ++i) scene.Update();
    EXPECT_EQ(scene.angleZ(), 358.0f);
    scene.Update();
    EXPECT_EQ(scene.angleZ(), 359.0f);
    scene.Update();
    EXPECT_EQ(scene.angleZ(), 360.0f);  // the wrap needs a value above 359
    scene.Update();
    EXPECT_EQ(scene.angleZ(), 0.0f);
    scene.Update();
    EXPECT_EQ(scene.angleZ(), 1.0f);
}

TEST_F(SceneMotion, YWrapsToZeroWhereXAndZWrapToMinusOne) {
    Settings.xoff = Settings.yoff = Settings.zoff = 0;
    Settings.xrot = Settings.yrot = Settings.zrot = 360;
    Settings.xrots = Settings.yrots = Settings.zrots = 20;
    Scene scene(Settings, halfWidth, halfHeight);
    for (int i = 0; i < 361; ++i) scene.Update();
    EXPECT_EQ(scene.angleX(), 0.0f);
    EXPECT_EQ(scene.angleY(), 1.0f);
    EXPECT_EQ(scene.angleZ(), 0.0f);
}

TEST_F(SceneMotion, StartsNearTheCentreAndBouncesInsideItsRectangle) {
    for (int seed = 1; seed <= 20; ++seed) {
        std::srand(seed);
        Scene scene(Settings, halfWidth, halfHeight);
        EXPECT_LE(std::fabs(scene.positionX()), 512 / 3);
        EXPECT_LE(std::fabs(scene.positionY()), 384 / 3);
        const float speed = std::fabs(scene.velocity[0]);
        EXPECT_GE(speed, 20 * 0.0125f);
        EXPECT_LE(speed, 5 * 20 * 0.0125f);
        for (int frame = 0; frame < 5000; ++frame) {
            scene.Update();
            // Half the half size less 40 units, plus at most one step past it.
            ASSERT_LE(std::fabs(scene.positionX()), 256 - 40 + std::fabs(scene.velocity[0]));
            ASSERT_LE(std::fabs(scene.positionY()), 192 - 40 + std::fabs(scene.velocity[1]));
        }
    }
}

// What the lens shows of the model's plane: 400 tan 22.5 degrees high, times the
// aspect ratio wide. The model's centre must never leave it.
struct ScreenSize {
    int width, height;
};

TEST_F(SceneMotion, TheModelStaysInViewOnEveryScreen) {
    const float visibleHalfHeight = 400.0f * std::tan(22.5f * 3.14159265f / 180.0f);
    for (ScreenSize size : {ScreenSize{1024, 768}, {800, 600}, {1920, 1080}, {3840, 2160}, {3840, 1080},
                            {768, 1024}, {1280, 1024}, {320, 240}}) {
        SCOPED_TRACE(testing::Message() << size.width << "x" << size.height);
        halfWidth = size.width / 2;
        halfHeight = size.height / 2;
        // A hundredth of a unit for the rounding of another way of computing it.
        const float visibleX = visibleHalfHeight * size.width / size.height + 0.01f;
        const float visibleY = visibleHalfHeight + 0.01f;
        for (unsigned seed = 1; seed <= 20; ++seed) {
            std::srand(seed);
            Settings.vel = 100;  // fast, so the bounces are reached within the run
            Scene scene(Settings, halfWidth, halfHeight);
            for (int frame = 0; frame <= 1000; ++frame) {
                ASSERT_LE(std::fabs(scene.positionX()), visibleX) << "seed " << seed << " frame " << frame;
                ASSERT_LE(std::fabs(scene.positionY()), visibleY) << "seed " << seed << " frame " << frame;
                scene.Update();
            }
        }
    }
}

TEST_F(SceneMotion, WhereTheRectangleFitsTheLensTheMotionIsUnchanged) {
    // 1024 x 768: the bounces at 216 and 152 lie inside the visible 221 x 166.
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::srand(seed);
        const int x0 = RandomInt(0, 512 / 3), y0 = RandomInt(0, 384 / 3);
        const bool flipX = RandomInt(0, 1) == 1, flipY = RandomInt(0, 1) == 1;
        float px = flipX ? -static_cast<float>(x0) : static_cast<float>(x0);
        float py = flipY ? -static_cast<float>(y0) : static_cast<float>(y0);
        std::srand(seed);
        Scene scene(Settings, halfWidth, halfHeight);
        float vx = scene.velocity[0], vy = scene.velocity[1];
        for (int frame = 0; frame < 1000; ++frame) {
            ASSERT_EQ(scene.positionX(), px) << "seed " << seed << " frame " << frame;
            ASSERT_EQ(scene.positionY(), py) << "seed " << seed << " frame " << frame;
            scene.Update();
            if (px + vx >= 512 / 2 - 40 || px + vx <= 40 - 512 / 2) vx = -vx;
            if (py + vy >= 384 / 2 - 40 || py + vy <= 40 - 384 / 2) vy = -vy;
            px += vx;
            py += vy;
        }
    }
}

TEST_F(SceneMotion, AViewMadeSmallerKeepsTheModelInsideItsNewBounces) {
    // A 3840 x 2160 window shrunk to 640 x 480 while the model is far out: it comes back
    // inside the small view's bounces and stays there, growing it again widens them.
    Settings.vel = 100;
    for (unsigned seed = 1; seed <= 10; ++seed) {
        std::srand(seed);
        Scene scene(Settings, 1920, 1080);
        while (std::fabs(scene.positionX()) < 250.0f) scene.Update();
        scene.FitDriftToView(320, 240);
        const HalfExtent small = scene.driftBounds;
        for (int frame = 0; frame < 1000; ++frame) {
            scene.Update();
            ASSERT_LE(std::fabs(scene.positionX()), small.x + std::fabs(scene.velocity[0])) << "seed " << seed;
            ASSERT_LE(std::fabs(scene.positionY()), small.y + std::fabs(scene.velocity[1])) << "seed " << seed;
        }
        scene.FitDriftToView(1920, 1080);
        float widest = 0.0f;
        for (int frame = 0; frame < 3000; ++frame) {
            scene.Update();
            widest = std::max(widest, std::fabs(scene.positionX()));
        }
        EXPECT_GT(widest, small.x + 50.0f) << "seed " << seed;
    }
}

TEST_F(SceneMotion, NoSpeedNoDrift) {
    Settings.vel = 0;
    Scene scene(Settings, halfWidth, halfHeight);
    const float x = scene.positionX(), y = scene.positionY();
    for (int frame = 0; frame < 500; ++frame) scene.Update();
    EXPECT_EQ(scene.positionX(), x);
    EXPECT_EQ(scene.positionY(), y);
}

TEST_F(SceneMotion, SmallPreviewTremblesInPlace) {
    // 152 pixels: the bounce limits are -2 and +2, so the drift flips every frame.
    halfWidth = 76;
    halfHeight = 76;
    Settings.vel = 100;
    Scene scene(Settings, halfWidth, halfHeight);
    const float x = scene.positionX(), y = scene.positionY();
    const float vx = scene.velocity[0];
    for (int frame = 1; frame <= 100; ++frame) {
        scene.Update();
        ASSERT_EQ(scene.velocity[0], frame % 2 ? -vx : vx);
        ASSERT_LE(std::fabs(scene.positionX() - x), std::fabs(vx));
        ASSERT_LE(std::fabs(scene.positionY() - y), std::fabs(scene.velocity[1]));
    }
}

TEST(FrameRateText, DefaultFloatForm) {
    const std::pair<float, const char*> cases[] = {
        {59.880215f, "59.8802"}, {60.0f, "60"},        {0.5f, "0.5"},           {1234.5678f, "1234.57"},
        {100000.0f, "100000"},   {999999.0f, "999999"}, {999999.5f, "1e+06"},   {1234567.0f, "1.23457e+06"},
        {0.0001f, "0.0001"},     {0.00001234f, "1.234e-05"}, {0.0f, "0"},        {3e20f, "3e+20"},
        {1e-30f, "1e-30"},       {-2.5f, "-2.5"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(FloatToDefaultText(value), text) << value;
}

TEST(FrameRateText, ChangesEveryTwentyFrames) {
    float seconds = 0.0f;
    int frames = 0;
    std::string text;
    for (int i = 1; i < 20; ++i) {
        EXPECT_FALSE(CountFrameForRate(0.02f, &seconds, &frames, &text));
        EXPECT_EQ(text, "") << "empty until 20 frames were drawn";
    }
    EXPECT_TRUE(CountFrameForRate(0.02f, &seconds, &frames, &text));
    EXPECT_EQ(text, "FPS = 50");
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(seconds, 0.0f);
    for (int i = 1; i < 20; ++i) CountFrameForRate(0.05f, &seconds, &frames, &text);
    EXPECT_EQ(text, "FPS = 50");
    CountFrameForRate(0.05f, &seconds, &frames, &text);
    EXPECT_EQ(text, "FPS = 20");
}

}  // namespace

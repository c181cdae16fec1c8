// Settings a hand-edited registry can hold at the ends of their type: each value alone
// and all of them together at 0, -1, INT_MIN and INT_MAX. The scene's own arithmetic
// runs under floating-point traps, and 300 frames are drawn, blur and text included.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <float.h>
#else
#include <fenv.h>
#endif

#include "app/frame.h"
#include "app/saver_window_state.h"
#include "app/scene.h"
#include "app/scene_view.h"
#include "app/settings.h"
#include "platform/gl.h"
#include "tests/unit/gl_test_context.h"

namespace {

// Invalid operations, division by zero and overflow stop the process while it lives.
class FloatingPointTraps {
public:
#if defined(_WIN32)
    FloatingPointTraps() {
        _controlfp_s(&saved, 0, 0);
        _clearfp();
        unsigned int unused;
        _controlfp_s(&unused, saved & ~static_cast<unsigned>(_EM_INVALID | _EM_ZERODIVIDE | _EM_OVERFLOW), _MCW_EM);
    }
    ~FloatingPointTraps() {
        _clearfp();
        unsigned int unused;
        _controlfp_s(&unused, saved, _MCW_EM);
    }

private:
    unsigned int saved = 0;
#else
    FloatingPointTraps() : saved(fegetexcept()) {
        feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    }
    ~FloatingPointTraps() {
        fedisableexcept(FE_ALL_EXCEPT);
        feclearexcept(FE_ALL_EXCEPT);
        feenableexcept(saved);
    }

private:
    int saved;
#endif
};

struct Field {
    const char* name;
    int32_t SaverSettings::*member;
};

constexpr Field kFields[] = {
    {"xoff", &SaverSettings::xoff},   {"yoff", &SaverSettings::yoff},   {"zoff", &SaverSettings::zoff},
    {"vel", &SaverSettings::vel},     {"xrot", &SaverSettings::xrot},   {"xrots", &SaverSettings::xrots},
    {"yrot", &SaverSettings::yrot},   {"yrots", &SaverSettings::yrots}, {"zrot", &SaverSettings::zrot},
    {"zrots", &SaverSettings::zrots}, {"scale", &SaverSettings::scale}, {"blur", &SaverSettings::blur},
    {"lighting", &SaverSettings::lighting},
};

constexpr int32_t kHostileValues[] = {0, -1, INT_MIN, INT_MAX};

// One case: a name for the failure message and the settings it runs with.
struct HostileCase {
    std::string name;
    SaverSettings settings;
};

std::vector<HostileCase> HostileCases() {
    std::vector<HostileCase> cases;
    for (int32_t value : kHostileValues) {
        SetDefaults();
        std::strcpy(Settings.modelPath, "no-model.none");  // the cube: the settings are what is tried here
        const SaverSettings defaults = Settings;
        for (const Field& field : kFields) {
            HostileCase one{std::string(field.name) + " = " + std::to_string(value), defaults};
            one.settings.*field.member = value;
            cases.push_back(one);
        }
        HostileCase all{"every value = " + std::to_string(value), defaults};
        for (const Field& field : kFields) all.settings.*field.member = value;
        cases.push_back(all);
    }
    return cases;
}

bool Finite(const Scene& scene) {
    const float values[] = {scene.position.x, scene.position.y, scene.position.z, scene.velocity[0],
                            scene.velocity[1], scene.angle.x,   scene.angle.y,    scene.angle.z};
    for (float value : values)
        if (!std::isfinite(value)) return false;
    return true;
}

// The process-wide record these tests change is put back afterwards.
class HostileSettings : public ::testing::Test {
protected:
    void SetUp() override { savedSettings = Settings; }
    void TearDown() override { Settings = savedSettings; }
    SaverSettings savedSettings;
};

TEST_F(HostileSettings, SceneMotionStaysFiniteWithoutAFloatingPointTrap) {
    for (const HostileCase& hostile : HostileCases()) {
        Settings = hostile.settings;
        std::srand(7);
        Scene* scene = nullptr;
        {
            FloatingPointTraps traps;
            scene = new Scene(Settings, 512, 384);
            for (int frame = 0; frame < 300; ++frame) scene->Update();
        }
        EXPECT_TRUE(Finite(*scene)) << hostile.name;
        delete scene;
    }
}

TEST_F(HostileSettings, ThreeHundredFramesAreDrawnWithEveryValue) {
    GlTestContext gl(96, 64);
    if (!gl.ok()) GTEST_SKIP() << "no OpenGL context available";
    for (const HostileCase& hostile : HostileCases()) {
        Settings = hostile.settings;
        std::srand(7);
        SaverWindowState state;
        SetUpSceneView(state, 0, 0, gl.width, gl.height);
        if (Settings.lighting) SetUpLighting(state);
        else glDisable(GL_LIGHTING);
        state.scene.reset(new Scene(Settings, state.halfWidth, state.halfHeight));
        state.scene->LoadModel();
        state.frameSeconds = 0.01f;
        for (int frame = 0; frame < 300; ++frame) DrawFrame(state, true);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << hostile.name;
        EXPECT_TRUE(Finite(*state.scene)) << hostile.name;
        EXPECT_FALSE(state.fpsText.empty()) << hostile.name << ": the frame-rate text was made";
        state.scene->ReleaseModel();
    }
    glDisable(GL_LIGHTING);
}

}  // namespace

// The cost of the blur trail without Wine, a window or a swap in the way: the saver's
// frames of the built-in lodge drawn into a 1024 x 768 headless context, without and
// with the trail, from the same fixed start and the same steps of time (1/60 s), each
// frame timed up to glFinish. Their ratio is the trail's cost on this renderer.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/frame.h"
#include "app/saver_session.h"
#include "app/settings.h"
#include "platform/gl.h"
#include "tests/unit/gl_test_context.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kFrames = 600;  // ten seconds of motion

GlTestContext& Context() {
    static GlTestContext context(kWidth, kHeight);
    return context;
}

// A session drawing the lodge from the fixed start, its model ready; null when it
// could not be read.
std::unique_ptr<SaverSession> LodgeSession(bool blur) {
    SetDefaults();
    SaverSettings settings = Settings;
    std::snprintf(settings.modelPath, sizeof settings.modelPath, "%s", VELMORA_SOURCE_DIR "/resources/VLG.3DS");
    settings.blur = blur ? 1 : 0;
    setenv("VELMORA_RANDOM_SEED", "1", 1);  // the session's first seeding
    std::srand(1);                          // every later session's
    auto session = std::make_unique<SaverSession>(settings, kWidth, kHeight, [] { return true; }, false, nullptr,
                                                  nullptr);
    SaverWindowState& state = session->drawing();
    if (state.reading) state.reading->wait();
    for (int frame = 0; frame < 10000 && !state.modelReady; ++frame) {
        state.frameSeconds = 0.0f;
        DrawFrame(state, false);
    }
    if (!state.modelReady || !state.scene->modelLoaded) return nullptr;
    return session;
}

void Frames(benchmark::State& benchmarkState, bool blur) {
    if (!Context().ok()) {
        benchmarkState.SkipWithError("no OpenGL context");
        return;
    }
    std::unique_ptr<SaverSession> session = LodgeSession(blur);
    if (!session) {
        benchmarkState.SkipWithError("the lodge was not read");
        return;
    }
    SaverWindowState& state = session->drawing();
    glFinish();
    for (auto _ : benchmarkState) {
        state.frameSeconds = 1.0f / 60.0f;
        DrawFrame(state, false);
        glFinish();
    }
}

void BM_LodgeFrame(benchmark::State& state) { Frames(state, false); }
void BM_LodgeFrameWithBlurTrail(benchmark::State& state) { Frames(state, true); }

BENCHMARK(BM_LodgeFrame)->Iterations(kFrames)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LodgeFrameWithBlurTrail)->Iterations(kFrames)->Repetitions(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

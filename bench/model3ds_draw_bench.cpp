// Loading the default model with its texture, and drawing it once into a
// 1024 x 768 headless GL context (the draw timed up to glFinish).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "formats/model3ds.h"
#include "platform/gl.h"
#include "tests/unit/gl_test_context.h"

namespace {

std::string DefaultModelPath() {
    std::string path = VELMORA_SOURCE_DIR "/resources/VLG.3DS";
    return std::filesystem::exists(path) ? path : std::string();
}

GlTestContext& Context() {
    static GlTestContext context(1024, 768);
    return context;
}

// The frame's usual set-up: perspective, depth test, back faces culled.
void PrepareFrame() {
    glViewport(0, 0, 1024, 768);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1024.0 / 768.0, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -6);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void BM_LoadWithTexture(benchmark::State& state) {
    std::string path = DefaultModelPath();
    if (path.empty() || !Context().ok()) {
        state.SkipWithError(path.empty() ? "model file missing" : "no OpenGL context");
        return;
    }
    for (auto _ : state) {
        Model3DS reader;
        bool loaded = static_cast<bool>(reader.Load(path.c_str()));
        if (!loaded || !glIsTexture(reader.textures[0])) state.SkipWithError("load failed");
        state.PauseTiming();
        glDeleteTextures(1, &reader.textures[0]);
        reader.ReleaseDisplayList();
        reader.FreeMeshes();
        state.ResumeTiming();
    }
}

void BM_DrawOnce(benchmark::State& state) {
    std::string path = DefaultModelPath();
    if (path.empty() || !Context().ok()) {
        state.SkipWithError(path.empty() ? "model file missing" : "no OpenGL context");
        return;
    }
    Model3DS reader;
    if (!static_cast<bool>(reader.Load(path.c_str()))) {
        state.SkipWithError("load failed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        PrepareFrame();
        glFinish();
        state.ResumeTiming();
        reader.Draw();
        glFinish();
    }
    glDeleteTextures(1, &reader.textures[0]);
    reader.FreeMeshes();
}

BENCHMARK(BM_LoadWithTexture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawOnce)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

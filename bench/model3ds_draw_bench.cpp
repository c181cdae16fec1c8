// Loading the default model with its texture, and drawing it once into a
// 1024 x 768 headless GL context as the saver does, from its recorded display list
// (the draw timed up to glFinish); and recording one display list of 100,000 triangles,
// the longest piece of GL work a frame does while a large model is made ready.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "formats/model_reader.h"
#include "formats/triangle_model_gl.h"
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

// Reads the model, makes its textures and records its drawing; 0 when it failed.
uint32_t Load(const std::string& path, TriangleModel* model) {
    ReadResult result = ReadModel(path, model);
    if (!result) return 0;
    LoadModelTextures(*model, &result);
    if (model->materials.empty() || !glIsTexture(model->materials[0].texture)) return 0;
    return CompileTriangleModel(*model);
}

void Release(TriangleModel* model, uint32_t list) {
    for (TriangleMaterial& material : model->materials) glDeleteTextures(1, &material.texture);
    if (list != 0) glDeleteLists(list, 1);
}

void BM_LoadWithTexture(benchmark::State& state) {
    std::string path = DefaultModelPath();
    if (path.empty() || !Context().ok()) {
        state.SkipWithError(path.empty() ? "model file missing" : "no OpenGL context");
        return;
    }
    for (auto _ : state) {
        TriangleModel model;
        const uint32_t list = Load(path, &model);
        if (list == 0) state.SkipWithError("load failed");
        state.PauseTiming();
        Release(&model, list);
        state.ResumeTiming();
    }
}

void BM_DrawOnce(benchmark::State& state) {
    std::string path = DefaultModelPath();
    if (path.empty() || !Context().ok()) {
        state.SkipWithError(path.empty() ? "model file missing" : "no OpenGL context");
        return;
    }
    TriangleModel model;
    const uint32_t list = Load(path, &model);
    if (list == 0) {
        state.SkipWithError("load failed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        PrepareFrame();
        glFinish();
        state.ResumeTiming();
        glCallList(list);
        glFinish();
    }
    Release(&model, list);
}

BENCHMARK(BM_LoadWithTexture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawOnce)->Unit(benchmark::kMillisecond);

// 100,000 triangles of a flat grid in one batch, as a reader leaves them.
TriangleModel GridModel() {
    TriangleModel model;
    model.batches.emplace_back();
    TriangleBatch& batch = model.batches.back();
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 250; ++x) {
            const float corners[6][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}};
            for (const auto& c : corners) {
                TriangleCorner corner = {{x + c[0], y + c[1], 0}, {0, 0, 1}, {c[0], c[1]}, {1, 1, 1, 1}};
                batch.corners.push_back(corner);
            }
        }
    return model;
}

void BM_RecordOneListPart(benchmark::State& state) {
    if (!Context().ok()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    const TriangleModel model = GridModel();
    for (auto _ : state) {
        const uint32_t list = CompileTriangleModel(model, 0, 100000);
        glFinish();
        state.PauseTiming();
        glDeleteLists(list, 1);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RecordOneListPart)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// A model made ready to draw as the saver makes it: read by its kind, its textures
// made, its drawing recorded into a display list. Needs a current GL context.
#pragma once
#include <string>

#include "formats/model_reader.h"
#include "formats/triangle_model_gl.h"
#include "platform/gl.h"

struct LoadedModel {
    TriangleModel model;
    uint32_t list = 0;

    LoadedModel() = default;
    LoadedModel(const LoadedModel&) = delete;
    LoadedModel& operator=(const LoadedModel&) = delete;
    ~LoadedModel() { Release(); }

    // Reads path, makes the textures and records the drawing; the reader's result.
    ReadResult Load(const std::string& path) {
        Release();
        ReadResult result = ReadModel(path, &model);
        if (result) {
            LoadModelTextures(model, &result);
            list = CompileTriangleModel(model);
        }
        return result;
    }
    // Records a model built in memory.
    void Take(TriangleModel built) {
        Release();
        model = std::move(built);
        LoadModelTextures(model, nullptr);
        list = CompileTriangleModel(model);
    }
    void Draw() const {
        if (list != 0) glCallList(list);
        else DrawTriangleModel(model);
    }
    // The GL texture of material index; 0 when it has none.
    uint32_t Texture(size_t index) const { return index < model.materials.size() ? model.materials[index].texture : 0; }
    void Release() {
        if (list != 0) glDeleteLists(list, 1);
        list = 0;
        model = TriangleModel();
    }
};

// The GL side of a TriangleModel: its materials' pictures as textures, and drawing.
#pragma once
#include <cstdint>

#include "formats/read_result.h"
#include "formats/triangle_model.h"

// Makes one mipmapped texture per material with a picture (a file beside the model or
// bytes the model carries). A picture that cannot be decoded is traced and its
// material shows its base colour; the picture library's messages join notices.
void LoadTriangleModelTextures(TriangleModel& model, ReadResult* notices);

// Draws every batch: textured where its material has a texture (times the base
// colour), else in the vertex colours or the base colour. The GL state it changes
// (colour, material, texturing) is put back.
void DrawTriangleModel(const TriangleModel& model);

// Records DrawTriangleModel's commands into a new display list; 0 when none could be made.
uint32_t CompileTriangleModel(const TriangleModel& model);

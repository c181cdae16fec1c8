// The GL side of the one in-memory model: its materials' pictures as textures, and
// drawing, recorded once into a display list. Every drawing here saves the GL state it
// changes (colour, material, enables, texture binding) first and puts it back after.
#pragma once
#include <cstdint>

#include "formats/model_pictures.h"
#include "formats/read_result.h"
#include "formats/triangle_model.h"

// Makes the texture of the next material whose picture waits (DecodeModelTextures
// leaves them there), minified with the material's filter, and lets the picture go; false when none waits. One texture per
// call keeps each step on the GL thread short.
bool UploadNextModelTexture(TriangleModel& model);
// Both at once: every material's picture decoded and made a texture.
void LoadModelTextures(TriangleModel& model, ReadResult* notices);

// Draws the triangles numbered first to first + count - 1 (counting through the
// batches in order; all of them by default) in the caller's transform: textured where
// the batch takes its material's texture and the texture was made (tinted by the base
// colour where the material says so), else in the vertex colours or the base colour;
// white without a material. Materials with lighting values of their own set them, with
// the colour not tracked into the material meanwhile.
void DrawTriangleModel(const TriangleModel& model, int64_t first = 0, int64_t count = INT64_MAX);

// Records DrawTriangleModel's commands for the same triangles into a new display list:
// replaying it costs a handful of calls a frame instead of one per corner attribute.
// 0 when no list could be made or the driver could not hold it.
uint32_t CompileTriangleModel(const TriangleModel& model, int64_t first = 0, int64_t count = INT64_MAX);

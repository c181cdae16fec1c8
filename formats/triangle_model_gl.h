// The GL side of the one in-memory model: its materials' pictures as textures, and
// drawing, recorded once into a display list. Every drawing here saves the GL state it
// changes (colour, material, enables, texture binding) first and puts it back after.
#pragma once
#include <cstdint>

#include "formats/read_result.h"
#include "formats/triangle_model.h"

// Makes one texture per material with a picture (a file beside the model, looked up
// without regard to letter case, or bytes the model carries), minified with the
// material's filter. A picture that cannot be decoded is traced and its material shows
// its base colour; the picture library's messages join notices, when given.
void LoadModelTextures(TriangleModel& model, ReadResult* notices);

// Draws every batch in the caller's transform: textured where the batch takes its
// material's texture and the texture was made (tinted by the base colour where the
// material says so), else in the vertex colours or the base colour; white without a
// material. Materials with lighting values of their own set them, with the colour not
// tracked into the material meanwhile.
void DrawTriangleModel(const TriangleModel& model);

// Records DrawTriangleModel's commands into a new display list: replaying it costs a
// handful of calls a frame instead of one per corner attribute. 0 when no list could
// be made or the driver could not hold it; the model is then drawn directly.
uint32_t CompileTriangleModel(const TriangleModel& model);

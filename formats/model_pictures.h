// The pictures of a model's materials, decoded into the materials, ready to become
// textures (formats/triangle_model_gl.h uploads them).
#pragma once
#include "formats/read_result.h"
#include "formats/triangle_model.h"

// Decodes the picture of every material that has one (a file beside the model, looked
// up without regard to letter case, or bytes the model carries) into the material,
// ready for upload. Needs no GL context: it may run on any thread. A picture that
// cannot be decoded is traced and its material shows its base colour; the picture
// library's messages join notices, when given.
void DecodeModelTextures(TriangleModel& model, ReadResult* notices);

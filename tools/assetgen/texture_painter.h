// Paints the lodge's texture: every material of the model in one 512 x 512
// image (layout in atlas_layout.h), procedurally and the same on every run.
#pragma once
#include "tools/assetgen/image.h"

Image PaintLodgeTexture();

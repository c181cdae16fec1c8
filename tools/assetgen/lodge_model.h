// The default model: a log lodge with a gabled roof, a stone chimney and a
// porch, built from logs, boards and stone blocks. Z is up, the porch faces -y,
// and the model is centred on the origin (its bounding box's centre).
#pragma once
#include "tools/assetgen/mesh.h"

Mesh BuildLodge();

// Smooth vertex normals of a 3DS object.
#pragma once
#include "formats/model3ds.h"

// Gives object.normals one entry per vertex: the unit vector along the sum of
// the front-facing, area-weighted normals of the faces that use the vertex (a face
// counted once even where it names the vertex twice). The sums are taken in face
// order in 32-bit floats, divided by the negated count, then normalised. A vertex
// whose face normals cancel out (a surface drawn from both sides over the same
// vertices) takes the front of the first face that uses it and has an area; a
// vertex that no such face uses gets (0, 0, 0). Faces must name existing vertices.
// Time grows with vertices + faces.
void BuildObjectNormals(t3DObject& object);

// modelinfo's output for OBJ, glTF, STL and PLY models, in the shape of the 3DS output: objects
// (one a material batch) with their counts, and materials with their colour as bytes
// and their texture file ("" and "embedded": true for a picture the file carries), and
// whether any corner carries a colour of the file's own ("vertexColors").
#pragma once
#include <string>

// The JSON object; `reason` receives why the file did not load.
std::string DescribeTriangleModel(const char* path, bool full, bool* loaded, std::string* reason);

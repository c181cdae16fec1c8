// What the configuration dialog says of a model file the user picked: read as the
// saver would read it (without drawing), in one line.
#pragma once
#include <string>

struct ModelFileSummary {
    bool usable = false;
    // "5,246 triangles, 1 texture", or why the file cannot be used: "not a 3DS
    // file", "not a 3DS, MS3D, OBJ, glTF, STL or PLY file", "the file ends early", "no
    // triangles", "cannot be opened".
    std::string text;
};

ModelFileSummary SummarizeModelFile(const std::string& path);

// The last part of a path (after its last slash or backslash).
std::string FileNamePart(const std::string& path);

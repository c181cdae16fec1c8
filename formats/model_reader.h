// The one way in from a path to the one in-memory model: what kind of model file a
// path holds, and reading it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/read_result.h"
#include "formats/triangle_model.h"

enum class ModelKind : int32_t {
    None = 0,
    MS3D = 1,
    ThreeDS = 2,
    Obj = 3,   // Wavefront OBJ with MTL materials
    Gltf = 4,  // glTF 2.0, ".gltf" or binary ".glb"
    Stl = 5,   // STL, binary or ASCII
    Ply = 6,   // PLY, ascii or binary
};

// The kind a file name's ending names, in any letter case: ".ms3d", ".3ds", ".obj",
// ".gltf", ".glb", ".stl" and ".ply". The four-letter test comes first, so "x.ms3d" never reaches the
// three-letter one. trace, when given, receives the words that tell the outcome
// ("Detected 3DS file type", "Failed to match the extension to a type", "Extension is
// invalid"). Only the first `length` characters of name are read.
ModelKind ModelKindOfName(const char* name, size_t length, const char** trace = nullptr);

// The kind of a model file, from its name and its first bytes. Where the two disagree
// the contents win, where they can say what they are: a file that begins with
// "MS3D000000" is an MS3D file, one that begins with "glTF" a binary glTF file, one
// whose first line is "ply" a PLY file, an ASCII STL file by its first two lines
// (IsAsciiStl: "solid", then "facet" or "endsolid", unless fileSize, when known, is
// exactly what a binary STL count announces); one that begins with the 3DS primary chunk (ID 0x4D4D) a 3DS
// file, whatever their names. A renamed file is read by the reader that can read it,
// and a file whose contents match none of these is read by the reader its name names,
// which then says what is wrong with it. OBJ, JSON glTF and binary STL files have no
// signature: only their names tell them.
ModelKind ModelKindOf(const std::string& path, const uint8_t* head, size_t headSize, uint64_t fileSize = 0);

// How many first bytes ModelKindOf looks at, at most.
constexpr size_t kModelKindHeadBytes = 1024;

// ModelKindOf for the file at path, reading its first bytes; by its name alone when it
// does not open.
ModelKind ModelKindOfFile(const std::string& path);

// Reads the model file at path into model, by its kind: the file's bytes within the
// model file limit, then the kind's reader. The failure names what went wrong (a file
// of no model kind is not this format); the readers' notices come back in the result.
// Needs no GL context.
ReadResult ReadModel(const std::string& path, TriangleModel* model);

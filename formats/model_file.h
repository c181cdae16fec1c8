// The files a model is made of: the model file's bytes within one size limit (every
// reader, and every picture beside a model, is read through ReadModelFile), and where a
// name the model gives for another file (a texture, an MTL file) is found.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/read_result.h"
#include "platform/file_open.h"

// Model files (with their buffers and pictures) larger than this are refused before
// parsing: too large.
constexpr size_t kMaxModelFileBytes = 256u << 20;

// The whole file into bytes; CannotOpen, or TooLarge past kMaxModelFileBytes.
ReadResult ReadModelFile(const char* path, FileBytes* bytes);

// The folder part of a path, with its trailing separator ("" for a bare name).
std::string FolderOf(const std::string& path);

// The file a model names beside itself. An absolute name (a leading separator or a
// drive letter) stands as given; so does every name of a model path without a folder,
// since the current folder is where it then points. Any other name is taken from the
// model's folder, a leading ".\" (the exporters' way of saying "beside the model")
// standing for that folder: modellers move a model with its textures, never into the
// folder the saver happens to run in. An empty name gives "".
std::string FileBesideModel(const std::string& modelPath, const std::string& name);

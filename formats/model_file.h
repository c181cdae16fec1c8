// The file a reader of today's model formats (OBJ, glTF) starts from, and the names
// inside it: the file's bytes within one size limit, its folder, and whether a name
// it gives for another file stands on its own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/read_result.h"

// Model files (with their buffers and pictures) larger than this are refused before
// parsing: too large.
constexpr size_t kMaxModelFileBytes = 256u << 20;

// The whole file into bytes; CannotOpen, or TooLarge past kMaxModelFileBytes.
ReadResult ReadModelFile(const char* path, std::vector<uint8_t>* bytes);

// The folder part of a path, with its trailing separator ("" for a bare name).
std::string FolderOf(const std::string& path);

// A name with a leading separator or a drive letter: it does not start from the
// model's folder.
bool IsAbsoluteName(const std::string& name);

// Buffer views compressed by glTF's EXT_meshopt_compression, decoded through
// meshoptimizer. Every size is checked before the decoder sees it: the library's own
// checks of its arguments are assertions that end the program.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

struct MeshoptCompressedView {
    const unsigned char* data = nullptr;  // the compressed bytes, inside their buffer
    size_t size = 0;
    size_t count = 0;   // elements
    size_t stride = 0;  // bytes an element
    std::string mode;    // "ATTRIBUTES", "TRIANGLES" or "INDICES"
    std::string filter;  // "NONE", "OCTAHEDRAL", "QUATERNION" or "EXPONENTIAL"
};

// Decodes view into out, byteLength bytes (the buffer view's own length, which must
// hold count * stride; any rest stays zero). False with the reason in why when the
// parameters break the extension's rules or the bytes do not decode.
bool DecodeMeshoptView(const MeshoptCompressedView& view, size_t byteLength, std::vector<unsigned char>* out,
                       std::string* why);

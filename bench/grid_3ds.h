// The benchmarks' synthetic mesh as 3DS objects: gently curved grids of two
// triangles per cell.
#ifndef VELMORA_BENCH_GRID_3DS_H
#define VELMORA_BENCH_GRID_3DS_H

#include <cstdint>
#include <string>
#include <vector>

#include "bench/grid_files.h"
#include "tests/unit/chunk_writer.h"

// One object: vertices (c, r, GridHeight(c, r) + lift) for columns 0..columns-1 and rows
// firstRow..lastRow, texture coordinates (c / columns, r / uvRows). A 3DS object counts
// its vertices in 16 bits, so an object stays under 65,536 of them.
inline void WriteGridObject(ChunkWriter& w, const std::string& name, int columns, int firstRow, int lastRow,
                            float lift, int uvRows) {
    w.Begin(0x4000);
    w.Str(name);
    w.Begin(0x4100);
    std::vector<float> xyz, uv;
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = 0; c < columns; ++c) {
            xyz.insert(xyz.end(), {float(c), float(r), GridHeight(c, r) + lift});
            uv.insert(uv.end(), {float(c) / columns, float(r) / uvRows});
        }
    chunks::Vertices(w, xyz);
    std::vector<uint16_t> faces;
    for (int r = 0; r < lastRow - firstRow; ++r)
        for (int c = 0; c + 1 < columns; ++c) {
            const uint16_t a = uint16_t(r * columns + c), b = uint16_t(a + 1), d = uint16_t(a + columns),
                           e = uint16_t(d + 1);
            faces.insert(faces.end(), {a, b, e, a, e, d});
        }
    chunks::BeginFaces(w, faces);
    w.End();
    chunks::TexCoords(w, uv);
    w.End();
    w.End();
}

#endif

// The direct way to make 3DS vertex normals, kept as the reference that the
// linear-time BuildObjectNormals must match bit for bit: face normals first, then
// for every vertex a scan of all faces. Time grows with vertices x faces.
#pragma once
#include <cmath>
#include <vector>

#include "formats/model3ds.h"

inline std::vector<Vector3> ScanVertexNormals(const t3DObject& object) {
    std::vector<Vector3> faceNormals(object.numFaces);
    for (int32_t j = 0; j < object.numFaces; ++j) {
        const int32_t* index = object.faces[j].vertIndex;
        Vector3 p0 = object.verts[index[0]], p1 = object.verts[index[1]], p2 = object.verts[index[2]];
        Vector3 v1 = {p0.x - p2.x, p0.y - p2.y, p0.z - p2.z};
        Vector3 v2 = {p2.x - p1.x, p2.y - p1.y, p2.z - p1.z};
        faceNormals[j] = {v1.y * v2.z - v1.z * v2.y, v1.z * v2.x - v1.x * v2.z, v1.x * v2.y - v1.y * v2.x};
    }
    std::vector<Vector3> normals(object.numVerts);
    for (int32_t k = 0; k < object.numVerts; ++k) {
        Vector3 sum = {0.0f, 0.0f, 0.0f};
        int shared = 0;
        for (int32_t j = 0; j < object.numFaces; ++j) {
            const int32_t* index = object.faces[j].vertIndex;
            if (index[0] == k || index[1] == k || index[2] == k) {
                sum = {sum.x + faceNormals[j].x, sum.y + faceNormals[j].y, sum.z + faceNormals[j].z};
                ++shared;
            }
        }
        if (shared == 0) {
            normals[k] = {0.0f, 0.0f, 0.0f};
            continue;
        }
        float divisor = static_cast<float>(-shared);
        Vector3 n = {sum.x / divisor, sum.y / divisor, sum.z / divisor};
        float magnitude = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        normals[k] = {n.x / magnitude, n.y / magnitude, n.z / magnitude};
    }
    return normals;
}

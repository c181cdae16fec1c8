#include "formats/vertex_normals.h"

#include <cmath>
#include <vector>

namespace {

Vector3 Subtract(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

void AddTo(Vector3& sum, const Vector3& v) {
    sum.x = sum.x + v.x;
    sum.y = sum.y + v.y;
    sum.z = sum.z + v.z;
}

float Length(const Vector3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// A sum shorter than this share of the summed lengths is taken as cancelled out:
// what is left of it is rounding, with no direction of its own.
constexpr float kCancelled = 1e-5f;

}  // namespace

void BuildObjectNormals(t3DObject& object) {
    const int32_t numVerts = object.numVerts > 0 ? object.numVerts : 0;
    object.normals = std::make_unique<Vector3[]>(numVerts);
    std::vector<Vector3> sums(numVerts, Vector3{0.0f, 0.0f, 0.0f});
    std::vector<int32_t> counts(numVerts, 0);
    std::vector<float> lengths(numVerts, 0.0f);  // of the face normals summed
    std::vector<Vector3> firstFront(numVerts, Vector3{0.0f, 0.0f, 0.0f});  // of the first face with an area

    // Walking the faces in order adds each face's normal to its vertices' sums
    // in the same order as a scan of all faces for every vertex would.
    for (int32_t j = 0; j < object.numFaces; ++j) {
        const int32_t* index = object.faces[j].vertIndex;
        Vector3 vPoly[3] = {object.verts[index[0]], object.verts[index[1]], object.verts[index[2]]};
        Vector3 vVector1 = Subtract(vPoly[0], vPoly[2]);
        Vector3 vVector2 = Subtract(vPoly[2], vPoly[1]);
        // Not normalised: its length is twice the face's area, so larger faces weigh more.
        Vector3 vNormal = Cross(vVector1, vVector2);
        const float length = Length(vNormal);
        for (int corner = 0; corner < 3; ++corner) {
            int32_t k = index[corner];
            if ((corner > 0 && k == index[0]) || (corner > 1 && k == index[1])) continue;
            AddTo(sums[k], vNormal);
            counts[k] += 1;
            if (lengths[k] == 0.0f && length > 0.0f)
                firstFront[k] = {-vNormal.x / length, -vNormal.y / length, -vNormal.z / length};
            lengths[k] += length;
        }
    }

    for (int32_t k = 0; k < numVerts; ++k) {
        Vector3& normal = object.normals[k];
        if (counts[k] == 0) {
            normal = {0.0f, 0.0f, 0.0f};
            continue;
        }
        // The corners run counter-clockwise seen from the front, so the cross
        // product points back; the negative divisor turns the sum to the front.
        Vector3 vSum = sums[k];
        if (!(Length(vSum) > kCancelled * lengths[k])) {
            // The faces cancel out (both sides of one surface, or no area at all):
            // the first face with an area gives the direction, if there is one.
            normal = firstFront[k];
            continue;
        }
        const float divisor = static_cast<float>(-counts[k]);
        normal = {vSum.x / divisor, vSum.y / divisor, vSum.z / divisor};
        const float magnitude = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
        normal = {normal.x / magnitude, normal.y / magnitude, normal.z / magnitude};
    }
}

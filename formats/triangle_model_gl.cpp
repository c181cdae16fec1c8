#include "formats/triangle_model_gl.h"

#include <algorithm>

#include "formats/jpeg_reader.h"
#include "formats/model_pictures.h"
#include "formats/texture_upload.h"
#include "platform/gl.h"

bool UploadNextModelTexture(TriangleModel& model) {
    for (TriangleMaterial& material : model.materials) {
        if (!material.picture) continue;
        GLuint name = 0;
        glGenTextures(1, &name);
        material.texture = name;
        UploadRgbTexture(name, material.picture->pixels.get(), material.picture->width, material.picture->height,
                         material.filter);
        material.picture.reset();
        return true;
    }
    return false;
}

void LoadModelTextures(TriangleModel& model, ReadResult* notices) {
    for (TriangleMaterial& material : model.materials) material.texture = 0;
    DecodeModelTextures(model, notices);
    while (UploadNextModelTexture(model)) {
    }
}

namespace {

void ApplyLighting(const LightingMaterial& lighting) {
    glMaterialfv(GL_FRONT, GL_AMBIENT, lighting.ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, lighting.diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, lighting.specular);
    glMaterialfv(GL_FRONT, GL_EMISSION, lighting.emissive);
    glMaterialf(GL_FRONT, GL_SHININESS, lighting.shininess);
}

}  // namespace

void DrawTriangleModel(const TriangleModel& model, int64_t first, int64_t count) {
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_LIGHTING_BIT);
    // Tracking would put the current colour over a material's own lighting values.
    for (const TriangleMaterial& material : model.materials) {
        if (material.lit) {
            glDisable(GL_COLOR_MATERIAL);
            break;
        }
    }
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const int64_t end = count > INT64_MAX - first ? INT64_MAX : first + count;
    int64_t batchStart = 0;  // the triangle number of the batch's first triangle
    for (const TriangleBatch& batch : model.batches) {
        const int64_t batchTriangles = static_cast<int64_t>(batch.corners.size() / 3);
        const int64_t from = std::max(first, batchStart) - batchStart;
        const int64_t to = std::min(end, batchStart + batchTriangles) - batchStart;
        batchStart += batchTriangles;
        if (from >= to) continue;
        const bool known = batch.material >= 0 && static_cast<size_t>(batch.material) < model.materials.size();
        const TriangleMaterial* material = known ? &model.materials[batch.material] : nullptr;
        const uint32_t texture = material && batch.textured ? material->texture : 0;
        if (material && material->lit) ApplyLighting(material->lighting);
        if (texture != 0) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, texture);
        } else {
            glDisable(GL_TEXTURE_2D);
        }
        const bool tinted = material && (texture == 0 || material->colorTintsTexture);
        const float* base = tinted ? material->baseColor : white;
        // Vertex colours show where there is no texture; alpha is drawn opaque.
        const bool perCorner = batch.vertexColors && texture == 0;
        glColor4f(base[0], base[1], base[2], 1.0f);
        glBegin(GL_TRIANGLES);
        for (size_t i = static_cast<size_t>(from) * 3; i < static_cast<size_t>(to) * 3; ++i) {
            const TriangleCorner& corner = batch.corners[i];
            glNormal3fv(corner.normal);
            if (texture != 0 && batch.texCoords) glTexCoord2fv(corner.uv);
            if (perCorner) glColor4f(corner.color[0] * base[0], corner.color[1] * base[1], corner.color[2] * base[2], 1.0f);
            glVertex3fv(corner.position);
        }
        glEnd();
    }
    glPopAttrib();
}

uint32_t CompileTriangleModel(const TriangleModel& model, int64_t first, int64_t count) {
    const GLuint list = glGenLists(1);
    if (list == 0) return 0;
    glNewList(list, GL_COMPILE);
    DrawTriangleModel(model, first, count);
    glEndList();
    // A list the driver could not hold (out of memory) is no list.
    if (glGetError() != GL_NO_ERROR) {
        glDeleteLists(list, 1);
        return 0;
    }
    return list;
}

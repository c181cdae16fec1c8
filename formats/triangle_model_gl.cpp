#include "formats/triangle_model_gl.h"

#include <algorithm>
#include <memory>

#include "formats/jpeg_reader.h"
#include "formats/picture_decode.h"
#include "formats/texture_kind.h"
#include "formats/texture_upload.h"
#include "platform/file_lookup.h"
#include "platform/gl.h"
#include "platform/trace.h"

namespace {

// The 3DS reader's step messages for the texture file of one of its materials.
void Trace3DSTextureSteps(const std::string& file, const ReadResult& decoded) {
    const TextureImageKind kind = TextureKindForName(file.c_str());
    const bool opened = decoded.failure != ReadFailure::CannotOpen;
    if (kind == TextureImageKind::Bitmap) {
        Trace(opened ? "File found, loading bitmap" : "Failed to open texture file");
    } else if (kind == TextureImageKind::None && decoded.failure == ReadFailure::Unsupported) {
        Trace("Unrecognized texture format");
    } else if (!opened) {
        Trace("Failed to open file");
        Trace("Could not get size of file, bailing.");
    } else {
        Trace(decoded ? "File loaded" : "Failed to load jpeg");
    }
}

}  // namespace

void DecodeModelTextures(TriangleModel& model, ReadResult* notices) {
    for (TriangleMaterial& material : model.materials) {
        material.picture.reset();
        auto picture = std::make_shared<JpegImage>();
        ReadResult decoded;
        if (!material.embeddedImage.empty()) {
            decoded = DecodePictureBytes(material.embeddedImage.data(), material.embeddedImage.size(), picture.get());
        } else if (TextureKindForName(material.textureFile.c_str()) == TextureImageKind::Targa) {
            TraceF("TGA textures are not supported: %s", material.textureFile.c_str());
            continue;
        } else if (!material.textureFile.empty()) {
            TraceF("Opening texture %s", material.textureFile.c_str());
            // The name as the model stores it may differ in letter case from the file's.
            decoded = DecodePictureFile(FindFileIgnoringCase(material.textureFile).c_str(), picture.get());
            if (material.traceTextureSteps) Trace3DSTextureSteps(material.textureFile, decoded);
            else if (decoded.failure == ReadFailure::CannotOpen) Trace("Failed to open the file");
        } else {
            continue;
        }
        if (!decoded) {
            TraceF("Texture of material %s not loaded (%s%s%s)", material.name.c_str(), ReadFailureText(decoded.failure),
                   decoded.detail.empty() ? "" : ": ", decoded.detail.c_str());
        } else {
            material.picture = std::move(picture);
        }
        if (notices) notices->adopt(std::move(decoded));
    }
}

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

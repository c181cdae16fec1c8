#include "formats/triangle_model_gl.h"

#include "formats/picture_decode.h"
#include "formats/texture_kind.h"
#include "formats/texture_upload.h"
#include "platform/file_lookup.h"
#include "platform/gl.h"
#include "platform/trace.h"

void LoadModelTextures(TriangleModel& model, ReadResult* notices) {
    for (TriangleMaterial& material : model.materials) {
        material.texture = 0;
        JpegImage picture;
        ReadResult decoded;
        if (!material.embeddedImage.empty()) {
            decoded = DecodePictureBytes(material.embeddedImage.data(), material.embeddedImage.size(), &picture);
        } else if (TextureKindForName(material.textureFile.c_str()) == TextureImageKind::Targa) {
            TraceF("TGA textures are not supported: %s", material.textureFile.c_str());
            continue;
        } else if (!material.textureFile.empty()) {
            TraceF("Opening texture %s", material.textureFile.c_str());
            // The name as the model stores it may differ in letter case from the file's.
            decoded = DecodePictureFile(FindFileIgnoringCase(material.textureFile).c_str(), &picture);
            if (decoded.failure == ReadFailure::CannotOpen) Trace("Failed to open the file");
        } else {
            continue;
        }
        if (!decoded) {
            TraceF("Texture of material %s not loaded (%s%s%s)", material.name.c_str(), ReadFailureText(decoded.failure),
                   decoded.detail.empty() ? "" : ": ", decoded.detail.c_str());
        }
        const bool ok = static_cast<bool>(decoded);
        if (notices) notices->adopt(std::move(decoded));
        if (!ok) continue;
        GLuint name = 0;
        glGenTextures(1, &name);
        material.texture = name;
        UploadRgbTexture(name, picture.pixels.get(), picture.width, picture.height, material.filter);
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

void DrawTriangleModel(const TriangleModel& model) {
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_LIGHTING_BIT);
    // Tracking would put the current colour over a material's own lighting values.
    for (const TriangleMaterial& material : model.materials) {
        if (material.lit) {
            glDisable(GL_COLOR_MATERIAL);
            break;
        }
    }
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    for (const TriangleBatch& batch : model.batches) {
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
        for (const TriangleCorner& corner : batch.corners) {
            glNormal3fv(corner.normal);
            if (texture != 0 && batch.texCoords) glTexCoord2fv(corner.uv);
            if (perCorner) glColor4f(corner.color[0] * base[0], corner.color[1] * base[1], corner.color[2] * base[2], 1.0f);
            glVertex3fv(corner.position);
        }
        glEnd();
    }
    glPopAttrib();
}

uint32_t CompileTriangleModel(const TriangleModel& model) {
    const GLuint list = glGenLists(1);
    if (list == 0) return 0;
    glNewList(list, GL_COMPILE);
    DrawTriangleModel(model);
    glEndList();
    // A list the driver could not hold (out of memory) is no list.
    if (glGetError() != GL_NO_ERROR) {
        glDeleteLists(list, 1);
        return 0;
    }
    return list;
}

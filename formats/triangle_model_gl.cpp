#include "formats/triangle_model_gl.h"

#include "formats/picture_decode.h"
#include "formats/texture_upload.h"
#include "platform/gl.h"
#include "platform/trace.h"

void LoadTriangleModelTextures(TriangleModel& model, ReadResult* notices) {
    for (TriangleMaterial& material : model.materials) {
        material.texture = 0;
        JpegImage picture;
        ReadResult decoded;
        if (!material.embeddedImage.empty()) {
            decoded = DecodePictureBytes(material.embeddedImage.data(), material.embeddedImage.size(), &picture);
        } else if (!material.textureFile.empty()) {
            TraceF("Opening texture %s", material.textureFile.c_str());
            decoded = DecodePictureFile(material.textureFile.c_str(), &picture);
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
        UploadRgbTexture(name, picture.pixels.get(), picture.width, picture.height, GL_LINEAR_MIPMAP_LINEAR);
    }
}

void DrawTriangleModel(const TriangleModel& model) {
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT);
    for (const TriangleBatch& batch : model.batches) {
        const bool known = batch.material >= 0 && static_cast<size_t>(batch.material) < model.materials.size();
        const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        const float* base = known ? model.materials[batch.material].baseColor : white;
        const uint32_t texture = known ? model.materials[batch.material].texture : 0;
        if (texture != 0) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, texture);
        } else {
            glDisable(GL_TEXTURE_2D);
        }
        // Vertex colours show where there is no texture; alpha is drawn opaque.
        const bool perCorner = batch.vertexColors && texture == 0;
        glColor4f(base[0], base[1], base[2], 1.0f);
        glBegin(GL_TRIANGLES);
        for (const TriangleCorner& corner : batch.corners) {
            glNormal3fv(corner.normal);
            if (texture != 0) glTexCoord2fv(corner.uv);
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
    return list;
}

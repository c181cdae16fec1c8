// The GL side of the MS3D model: material textures and immediate-mode drawing.
#include "formats/bitmap_image.h"
#include "formats/ms3d_model.h"
#include "formats/texture_kind.h"
#include "formats/texture_upload.h"
#include "platform/gl.h"
#include "platform/trace.h"

ReadResult MS3DModel::load(const char* fileName) {
    ReadResult result = read(fileName);
    if (result) loadTextures(&result);
    return result;
}

std::unique_ptr<JpegImage> loadJpegImage(const char* fileName, ReadResult* notices) {
    TraceF("Opening texture %s", fileName);
    std::unique_ptr<JpegImage> image(new JpegImage());
    JpegReader jpeg;
    ReadResult decoded = jpeg.Decode(fileName, image.get());
    if (decoded.failure == ReadFailure::CannotOpen) Trace("Failed to open the file");
    const bool ok = static_cast<bool>(decoded);
    if (notices) notices->adopt(std::move(decoded));
    if (!ok) return nullptr;
    return image;
}

void MS3DModel::loadTextures(ReadResult* notices) {
    for (int32_t i = 0; i < numMaterials; ++i) {
        MS3DMaterial& material = materials[i];
        TraceF("material #%i", static_cast<int>(i));
        material.texture = 0;
        const char* name = material.textureFilename.get();
        if (!name || name[0] == '\0') continue;
        TraceF("Material is %s", name);
        createMaterialTexture(&material.texture, name, notices);
    }
}

void createMaterialTexture(uint32_t* textureName, const char* fileName, ReadResult* notices) {
    if (!textureName || !fileName) return;
    std::unique_ptr<JpegImage> jpeg;
    std::unique_ptr<BitmapImage> bitmap;
    const unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    switch (TextureKindForName(fileName)) {
        case TextureImageKind::Targa:
            TraceF("TGA textures are not supported: %s", fileName);
            return;
        case TextureImageKind::Bitmap:
            TraceF("Opening texture %s", fileName);
            bitmap = std::make_unique<BitmapImage>(fileName);
            if (!bitmap->loaded) {
                Trace("Failed to load the bitmap");
                return;
            }
            pixels = bitmap->data.get();
            width = bitmap->width;
            height = bitmap->height;
            break;
        default:  // JPEG, and any other name as the JPEG it most likely is
            jpeg = loadJpegImage(fileName, notices);
            if (!jpeg) return;
            pixels = jpeg->pixels.get();
            width = jpeg->width;
            height = jpeg->height;
            break;
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    *textureName = name;
    UploadRgbTexture(name, pixels, width, height, GL_LINEAR_MIPMAP_NEAREST);
}

void MS3DModel::draw() {
    // The material, the colour tracking and texturing changed here are put back after.
    glPushAttrib(GL_CURRENT_BIT | GL_LIGHTING_BIT | GL_ENABLE_BIT);
    // Tracking would put the current colour over the material's ambient and diffuse.
    glDisable(GL_COLOR_MATERIAL);
    for (int32_t m = 0; m < numMeshes; ++m) {
        const MS3DMesh& mesh = meshes[m];
        // An index past the material list counts as no material.
        if (mesh.materialIndex >= 0 && mesh.materialIndex < numMaterials) {
            const MS3DMaterial& material = materials[mesh.materialIndex];
            glMaterialfv(GL_FRONT, GL_AMBIENT, material.ambient);
            glMaterialfv(GL_FRONT, GL_DIFFUSE, material.diffuse);
            glMaterialfv(GL_FRONT, GL_SPECULAR, material.specular);
            glMaterialfv(GL_FRONT, GL_EMISSION, material.emissive);
            glMaterialf(GL_FRONT, GL_SHININESS, material.shininess);
            // Unlit, the faces show the diffuse colour (times the texture).
            glColor4fv(material.diffuse);
            if (material.texture != 0) {
                glBindTexture(GL_TEXTURE_2D, material.texture);
                glEnable(GL_TEXTURE_2D);
            } else {
                glDisable(GL_TEXTURE_2D);
            }
        } else {
            glDisable(GL_TEXTURE_2D);
        }

        glBegin(GL_TRIANGLES);
        for (int32_t k = 0; k < mesh.numTriangles; ++k) {
            const int32_t triangleIndex = mesh.triangleIndices[k];
            if (triangleIndex < 0 || triangleIndex >= numTriangles) continue;
            const MS3DTriangle& triangle = triangles[triangleIndex];
            bool cornersExist = true;
            for (int corner = 0; corner < 3; ++corner) {
                const int32_t v = triangle.vertexIndices[corner];
                if (v < 0 || v >= numVertices) cornersExist = false;
            }
            if (!cornersExist) continue;
            for (int corner = 0; corner < 3; ++corner) {
                glNormal3fv(triangle.vertexNormals[corner]);
                glTexCoord2f(triangle.s[corner], triangle.t[corner]);
                glVertex3fv(vertices[triangle.vertexIndices[corner]].location);
            }
        }
        glEnd();
    }
    glPopAttrib();
}

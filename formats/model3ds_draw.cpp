// Drawing a 3DS model: one batch of independent triangles per object, each corner
// with its normal, its texture coordinate or material colour, and its position, all
// taken at the corner's vertex index; recorded once into a display list at loading.
#include "formats/model3ds.h"
#include "platform/gl.h"

void Model3DS::Draw() {
    if (displayList != 0) {
        glCallList(displayList);
        return;
    }
    DrawImmediate();
}

void Model3DS::DrawImmediate() {
    const int32_t objectCount = static_cast<int32_t>(model.objects.size());
    const int32_t materialCount = static_cast<int32_t>(model.materials.size());
    for (int32_t i = 0; i < model.numObjects && i < objectCount; ++i) {
        const t3DObject& object = model.objects[i];
        const bool textured = object.hasTexture;
        if (textured) {
            glEnable(GL_TEXTURE_2D);
            glColor3ub(255, 255, 255);
            // A material beyond the texture table has no texture: texture 0.
            bool inTable = object.materialIndex >= 0 && object.materialIndex < kTextureCount;
            glBindTexture(GL_TEXTURE_2D, inTable ? textures[object.materialIndex] : 0);
        } else {
            glDisable(GL_TEXTURE_2D);
            glColor3ub(255, 255, 255);
        }
        const uint8_t* color = nullptr;
        if (!textured && object.materialIndex >= 0 && object.materialIndex < model.numMaterials &&
            object.materialIndex < materialCount) {
            color = model.materials[object.materialIndex].color;
        }

        glBegin(GL_TRIANGLES);
        for (int32_t j = 0; j < object.numFaces; ++j) {
            const tTriangle& face = object.faces[j];
            bool valid = true;
            for (int32_t idx : face.vertIndex) valid = valid && idx >= 0 && idx < object.numVerts;
            if (!valid) continue;  // a corner without a vertex would shift every later triangle
            for (int32_t idx : face.vertIndex) {
                if (object.normals) glNormal3f(object.normals[idx].x, object.normals[idx].y, object.normals[idx].z);
                if (textured) {
                    if (object.texCoords && idx < object.numTexCoords) {
                        glTexCoord2f(object.texCoords[idx].u, object.texCoords[idx].v);
                    }
                } else if (color) {
                    glColor3ub(color[0], color[1], color[2]);
                }
                glVertex3f(object.verts[idx].x, object.verts[idx].y, object.verts[idx].z);
            }
        }
        glEnd();
    }
}

void Model3DS::CompileDisplayList() {
    ReleaseDisplayList();
    displayList = glGenLists(1);
    if (displayList == 0) return;  // no list to be had: immediate mode it stays
    glNewList(displayList, GL_COMPILE);
    DrawImmediate();
    glEndList();
    // A list the driver could not hold (out of memory) is no list: draw immediately.
    if (glGetError() != GL_NO_ERROR) ReleaseDisplayList();
}

void Model3DS::ReleaseDisplayList() {
    if (displayList != 0) glDeleteLists(displayList, 1);
    displayList = 0;
}

// Drawing a 3DS model: per object, one batch of independent triangles for every run
// of faces in one material, each corner with its normal, its texture coordinate or
// material colour, and its position, all taken at the corner's vertex index;
// recorded once into a display list at loading.
#include "formats/model3ds.h"
#include "platform/gl.h"

void Model3DS::Draw() {
    if (displayList != 0) {
        glCallList(displayList);
        return;
    }
    DrawImmediate();
}

bool Model3DS::ApplyMaterial(int32_t index, bool wantsTexture, const uint8_t** color) {
    const bool known = index >= 0 && index < model.numMaterials && index < static_cast<int32_t>(model.materials.size());
    // A material beyond the texture table, or whose picture did not load, has no
    // texture: its colour shows instead.
    const bool textured = wantsTexture && index >= 0 && index < kTextureCount && textures[index] != 0;
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glColor3ub(255, 255, 255);
        glBindTexture(GL_TEXTURE_2D, textures[index]);
        *color = nullptr;
        return true;
    }
    glDisable(GL_TEXTURE_2D);
    glColor3ub(255, 255, 255);
    *color = known ? model.materials[index].color : nullptr;
    return false;
}

void Model3DS::DrawImmediate() {
    const int32_t objectCount = static_cast<int32_t>(model.objects.size());
    const int32_t materialCount = static_cast<int32_t>(model.materials.size());
    // Faces of a group take a texture when their material names one; faces in no
    // group when the object's groups named a textured material.
    auto wantsTexture = [&](const t3DObject& object, int32_t face) {
        const bool grouped = object.faceMaterials && face < object.numFaces && object.faceMaterials[face] >= 0;
        if (!grouped) return object.hasTexture;
        const int32_t index = object.faceMaterials[face];
        return index < materialCount && model.materials[index].fileName[0] != '\0';
    };
    for (int32_t i = 0; i < model.numObjects && i < objectCount; ++i) {
        const t3DObject& object = model.objects[i];
        // An object without faces still sets the state of its own material, as every
        // object starts by setting the state of its first face.
        int32_t runMaterial = FaceMaterial(object, 0);
        bool runTextured = wantsTexture(object, 0);
        const uint8_t* color = nullptr;
        bool textured = ApplyMaterial(runMaterial, runTextured, &color);

        glBegin(GL_TRIANGLES);
        for (int32_t j = 0; j < object.numFaces; ++j) {
            const tTriangle& face = object.faces[j];
            bool valid = true;
            for (int32_t idx : face.vertIndex) valid = valid && idx >= 0 && idx < object.numVerts;
            if (!valid) continue;  // a corner without a vertex would shift every later triangle
            const int32_t material = FaceMaterial(object, j);
            const bool wanted = wantsTexture(object, j);
            if (material != runMaterial || wanted != runTextured) {
                glEnd();
                runMaterial = material;
                runTextured = wanted;
                textured = ApplyMaterial(runMaterial, runTextured, &color);
                glBegin(GL_TRIANGLES);
            }
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

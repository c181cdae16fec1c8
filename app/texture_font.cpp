#include "app/texture_font.h"

#if defined(_WIN32)
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>

#include "app/font_atlas.h"

namespace {

// One cell in texture coordinates: 1/16 of the width, 1/8 of the height.
constexpr float kCellWidthInTexture = 1.0f / kFontCellColumns;
constexpr float kCellHeightInTexture = 1.0f / kFontCellRows;

// A unit quad showing cell k, then a step of one unit to the right. Texture t
// grows downward through the atlas (its top row is stored first), so the quad's
// bottom edge takes the cell's bottom row.
void CompileGlyph(GLuint list, int k) {
    const float u = static_cast<float>(k % kFontCellColumns) * kCellWidthInTexture;
    const float v = static_cast<float>(k / kFontCellColumns) * kCellHeightInTexture;
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(u, v + kCellHeightInTexture);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glTexCoord2f(u + kCellWidthInTexture, v + kCellHeightInTexture);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glTexCoord2f(u, v);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glTexCoord2f(u + kCellWidthInTexture, v);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glEnd();
    glTranslatef(1.0f, 0.0f, 0.0f);
    glEndList();
}

}  // namespace

TextureFont::TextureFont() {
    GLuint name = 0;
    glGenTextures(1, &name);
    texture = name;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    if (const std::uint8_t* pixels = FontAtlasPixels())
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_ALPHA, kFontAtlasWidth, kFontAtlasHeight, GL_ALPHA, GL_UNSIGNED_BYTE,
                          pixels);

    listBase = glGenLists(kFontCellCount);
    for (int k = 0; k < kFontCellCount; ++k) CompileGlyph(listBase + k, k);
}

void TextureFont::print(std::string_view text) const {
    glPushAttrib(GL_LIGHTING_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, texture);
    // The glyph takes the current colour; its coverage scales the current alpha.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (char c : text) {
        const int k = static_cast<int>(static_cast<signed char>(c)) - kFontFirstCode;
        if (k >= 0 && k < kFontCellCount) glCallList(listBase + static_cast<GLuint>(k));
    }
    glPopAttrib();
}

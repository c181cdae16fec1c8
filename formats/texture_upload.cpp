#include "formats/texture_upload.h"

#include "platform/gl.h"

namespace {

bool IsPowerOfTwo(int side) { return side > 0 && (side & (side - 1)) == 0; }

GLint MinifyingFilter(TextureFilter filter) {
    switch (filter) {
        case TextureFilter::Linear: return GL_LINEAR;
        case TextureFilter::LinearMipmapNearest: return GL_LINEAR_MIPMAP_NEAREST;
        case TextureFilter::LinearMipmapLinear: return GL_LINEAR_MIPMAP_LINEAR;
    }
    return GL_LINEAR;
}

}  // namespace

void UploadRgbTexture(uint32_t name, const unsigned char* pixels, int width, int height, TextureFilter filter) {
    GLint alignment = 4;
    GLint bound = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, name);
    if (pixels) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        GLint largest = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        const bool takenAsIs = IsPowerOfTwo(width) && IsPowerOfTwo(height) && width <= largest && height <= largest;
        if (filter == TextureFilter::Linear && takenAsIs) {
            glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        } else {
            gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, MinifyingFilter(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

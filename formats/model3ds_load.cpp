// Loading a 3DS model with its textures: the import, then one GL texture for
// every material that names a BMP or JPEG file beside the model file.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "formats/bitmap_image.h"
#include "formats/jpeg_reader.h"
#include "formats/model3ds.h"
#include "formats/texture_upload.h"
#include "platform/file_lookup.h"
#include "platform/gl.h"
#include "platform/trace.h"

TextureImageKind TextureKindForName(const char* name) {
    size_t length = std::strlen(name);
    if (length < 4) return TextureImageKind::None;
    const char* tempstring = name + length - 4;
    if (std::strcmp(tempstring, ".BMP") == 0) return TextureImageKind::Bitmap;
    if (std::strcmp(tempstring, ".JPG") == 0 || std::strcmp(tempstring, ".jpg") == 0 ||
        std::strcmp(tempstring, "JPEG") == 0 || std::strcmp(tempstring, "jpeg") == 0) {
        return TextureImageKind::Jpeg;
    }
    return TextureImageKind::None;
}

std::string TextureFilePath(const char* modelPath, const char* name) {
    std::string texturePath;
    std::string buffer;
    for (const char* c = modelPath; *c; ++c) {
        if (*c == '/' || *c == '\\') {
            texturePath += buffer;
            texturePath += '/';
            buffer.clear();
        } else {
            buffer += *c;
        }
    }
    return texturePath + name;
}

void LoadMaterialTexture(uint32_t* textures, const char* name, int index, const char* modelPath,
                         ReadResult* notices) {
    std::string FilePath = TextureFilePath(modelPath, name);
    TraceF("3DS: Loading texture: %s", FilePath.c_str());
    if (index < 0 || index >= Model3DS::kTextureCount) {
        // The table has no entry for this material: nothing is read or made.
        Trace("Too many materials, texture skipped");
        return;
    }
    // The name as the model stores it may differ in letter case from the file's.
    std::string openPath = FindFileIgnoringCase(FilePath);

    std::unique_ptr<BitmapImage> bitmap;
    JpegImage jpegImage;
    const unsigned char* pixels = nullptr;
    int width = 0, height = 0;

    switch (TextureKindForName(name)) {
        case TextureImageKind::Bitmap: {
            std::FILE* test = std::fopen(openPath.c_str(), "rb");
            if (test) {
                std::fclose(test);
                Trace("File found, loading bitmap");
                bitmap = std::make_unique<BitmapImage>(openPath.c_str());
                if (bitmap->loaded) {
                    pixels = bitmap->data.get();
                    width = bitmap->width;
                    height = bitmap->height;
                }
            } else {
                Trace("Failed to open texture file");
            }
            break;
        }
        case TextureImageKind::Jpeg: {
            JpegReader jpeg;
            ReadResult decoded = jpeg.Decode(openPath.c_str(), &jpegImage);
            const ReadFailure failure = decoded.failure;
            if (notices) notices->adopt(std::move(decoded));
            if (failure == ReadFailure::CannotOpen) Trace("Failed to open file");
            if (failure == ReadFailure::Truncated) {
                Trace("Failed to load jpeg");
                return;
            }
            if (failure != ReadFailure::None) {
                Trace("Could not get size of file, bailing.");
                return;
            }
            Trace("File loaded");
            pixels = jpegImage.pixels.get();
            width = jpegImage.width;
            height = jpegImage.height;
            break;
        }
        case TextureImageKind::None:
            Trace("Unrecognized texture format");
            break;
    }

    // A texture is made for a bitmap that did not load and for a name of no known
    // kind too: drawing binds it, without an image.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    textures[index] = texture;
    UploadRgbTexture(texture, pixels, width, height, GL_LINEAR);
}

ReadResult Model3DS::Load(const char* path) {
    ReadResult result = Import(&model, path);
    for (int32_t i = 0; i < model.numMaterials && i < static_cast<int32_t>(model.materials.size()); ++i) {
        const tMaterialInfo& material = model.materials[i];
        // The name field is a fixed array; a name that fills it has no NUL of its own.
        std::string fileName(material.fileName, strnlen(material.fileName, sizeof material.fileName));
        if (!fileName.empty()) LoadMaterialTexture(textures, fileName.c_str(), i, path, &result);
    }
    if (result) CompileDisplayList();
    else ReleaseDisplayList();
    return result;
}

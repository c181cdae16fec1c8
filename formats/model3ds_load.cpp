// Loading a 3DS model with its textures: the import, then one GL texture for
// every material that names a BMP or JPEG file beside the model file that loads.
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
#include "platform/file_open.h"
#include "platform/gl.h"
#include "platform/trace.h"

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
            std::FILE* test = OpenFileForReading(openPath.c_str());
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
        case TextureImageKind::Targa:
            TraceF("TGA textures are not supported: %s", name);
            break;
        case TextureImageKind::Png:
        case TextureImageKind::None:
            Trace("Unrecognized texture format");
            break;
    }

    // Without a picture no texture is made: drawing shows the material's colour.
    if (!pixels) return;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    textures[index] = texture;
    UploadRgbTexture(texture, pixels, width, height, GL_LINEAR);
}

ReadResult Model3DS::Load(const char* path) {
    ReadResult result = Import(&model, path);
    // A model that failed is not drawn: its textures are not wanted.
    for (int32_t i = 0; result && i < model.numMaterials && i < static_cast<int32_t>(model.materials.size()); ++i) {
        const tMaterialInfo& material = model.materials[i];
        // The name field is a fixed array; a name that fills it has no NUL of its own.
        std::string fileName(material.fileName, strnlen(material.fileName, sizeof material.fileName));
        if (!fileName.empty()) LoadMaterialTexture(textures, fileName.c_str(), i, path, &result);
    }
    if (result) CompileDisplayList();
    else ReleaseDisplayList();
    return result;
}

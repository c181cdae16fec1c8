// Decoding a model's pictures needs no GL context, so a model can be read whole on a
// thread of its own.
#include "formats/model_pictures.h"

#include <memory>
#include <string>

#include "formats/jpeg_reader.h"
#include "formats/picture_decode.h"
#include "formats/texture_kind.h"
#include "platform/file_lookup.h"
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

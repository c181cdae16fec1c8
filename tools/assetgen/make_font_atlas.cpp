// make_font_atlas FONT.ttf OUTPUT.pgm
// Renders the text font's glyph atlas (layout in app/font_atlas.h) and writes it
// as an 8-bit PGM picture, which the build embeds in the program.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/assetgen/file_output.h"
#include "tools/assetgen/glyph_atlas.h"

namespace {

std::vector<std::uint8_t> Pgm(const std::vector<std::uint8_t>& atlas) {
    std::string header = "P5\n" + std::to_string(kAtlasWidth) + " " + std::to_string(kAtlasHeight) + "\n255\n";
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), atlas.begin(), atlas.end());
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_font_atlas FONT.ttf OUTPUT.pgm\n");
        return 2;
    }
    std::vector<std::uint8_t> atlas;
    std::string error;
    if (!RenderGlyphAtlas(argv[1], atlas, error)) {
        std::fprintf(stderr, "make_font_atlas: %s\n", error.c_str());
        return 1;
    }
    return WriteBytes(argv[2], Pgm(atlas)) ? 0 : 1;
}

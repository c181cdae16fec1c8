// A texture-mapped text font for short overlay text (the frame-rate figure):
// one alpha texture holds every glyph (FontAtlasPixels), and one display list per
// glyph draws its unit quad and moves the pen one unit to the right.
#pragma once
#include <cstdint>
#include <string_view>

class TextureFont {
public:
    // Builds the atlas texture with its mipmaps and the 128 glyph lists.
    // A rendering context must be current. The texture and the lists belong to
    // that context and go with it; the object never deletes them.
    TextureFont();

    // Draws one unit-square glyph per character, starting at the origin of the
    // current modelview matrix, in the current colour. Bytes are read as signed
    // characters: only codes 32 to 127 are drawn, every other byte is skipped
    // without moving the pen. The lighting, colour-buffer and texture state is
    // restored afterwards; the modelview matrix is left one unit further right
    // for every glyph drawn (the caller brackets the call with a push and pop).
    void print(std::string_view text) const;

    std::uint32_t texture = 0;   // the atlas texture name
    std::uint32_t listBase = 0;  // list listBase + k draws cell k, for k = 0 to 127
};

// Renders the text font's glyph atlas with FreeType: 16 x 8 cells of 32 x 32
// coverage pixels holding character codes 32 to 159 (Windows-1252 above 127).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int kAtlasWidth = 512;
constexpr int kAtlasHeight = 256;
constexpr int kCellSize = 32;
constexpr int kCellColumns = 16;
constexpr int kCellCount = 128;
constexpr int kFirstCode = 32;
constexpr int kCapTopRow = 7;      // capitals start on this pixel row of a cell
constexpr int kBaselineRow = 26;   // ... and end on this one, the last above the baseline
constexpr int kLastDescenderRow = 31;

// The Unicode character drawn for a byte of Windows-1252, or 0 where the byte
// is a control character or undefined in that code page.
std::uint32_t Windows1252ToUnicode(int code);

// Fills the atlas (rows top first, kAtlasWidth x kAtlasHeight bytes) from the
// font file. Capitals get a height of exactly rows kCapTopRow to kBaselineRow,
// descenders are fitted into the rows below the baseline, glyphs wider than a
// cell are narrowed, and every glyph's ink is centred horizontally in its cell.
// Returns false with a message when the font cannot be read or a glyph cannot be
// placed.
bool RenderGlyphAtlas(const std::string& fontPath, std::vector<std::uint8_t>& atlas, std::string& error);

#include "tools/assetgen/glyph_atlas.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

namespace {

// Windows-1252 codes 128 to 159; 0 marks the five undefined codes.
const std::uint32_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 128-135
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 136-143
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 144-151
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 152-159
};

// Horizontal room a glyph may fill; wider glyphs are narrowed to it.
constexpr double kMaxInkWidth = 30.0;

struct FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeFace() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

// Loads the hinted outline of a character at the current size.
bool LoadOutline(FT_Face face, std::uint32_t character, FT_Outline** outline) {
    if (FT_Load_Char(face, character, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return false;
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return false;
    *outline = &face->glyph->outline;
    return true;
}

// Sets the font size at which the flat-topped capital H spans exactly the rows
// from kCapTopRow to kBaselineRow, and checks that hinting keeps it there.
bool FitCapitalHeight(FT_Face face, std::string& error) {
    const int capRows = kBaselineRow - kCapTopRow + 1;
    FT_BBox box;
    if (FT_Load_Char(face, 'H', FT_LOAD_NO_SCALE) != 0 || face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
        error = "the font has no capital H";
        return false;
    }
    FT_Outline_Get_BBox(&face->glyph->outline, &box);
    const double pixelSize = static_cast<double>(capRows) * face->units_per_EM / static_cast<double>(box.yMax);
    FT_Outline* outline = nullptr;
    if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(pixelSize * 64.0)), 72, 72) != 0 ||
        !LoadOutline(face, 'H', &outline)) {
        error = "cannot size the font";
        return false;
    }
    FT_Outline_Get_BBox(outline, &box);
    if (box.yMin != 0 || box.yMax != capRows * 64) {
        error = "hinting moves the capitals off the cell's cap rows";
        return false;
    }
    return true;
}

// The deepest descent below the baseline over every glyph of the atlas, in 26.6 units.
FT_Pos DeepestDescent(FT_Face face) {
    FT_Pos deepest = 0;
    for (int k = 0; k < kCellCount; ++k) {
        std::uint32_t character = Windows1252ToUnicode(kFirstCode + k);
        FT_Outline* outline = nullptr;
        if (character == 0 || !LoadOutline(face, character, &outline)) continue;
        FT_BBox box;
        FT_Outline_Get_BBox(outline, &box);
        deepest = std::max(deepest, -box.yMin);
    }
    return deepest;
}

// Places the outline in its cell: below the baseline it is squeezed by
// descentScale so the deepest descender ends on the cell's last row, a glyph
// wider than the cell is narrowed, and the ink is centred horizontally. The
// outline's y = 0 becomes the cell's baseline.
void FitIntoCell(FT_Outline* outline, double descentScale) {
    for (int i = 0; i < outline->n_points; ++i) {
        FT_Vector& point = outline->points[i];
        if (point.y < 0) point.y = static_cast<FT_Pos>(std::lround(point.y * descentScale));
    }
    FT_BBox box;
    FT_Outline_Get_BBox(outline, &box);
    const double width = (box.xMax - box.xMin) / 64.0;
    const double centre = (box.xMin + box.xMax) / 2.0;
    const double narrowing = width > kMaxInkWidth ? kMaxInkWidth / width : 1.0;
    for (int i = 0; i < outline->n_points; ++i) {
        FT_Vector& point = outline->points[i];
        point.x = static_cast<FT_Pos>(std::lround((point.x - centre) * narrowing + kCellSize * 32.0));
    }
    // The rasteriser's y = 0 is the cell's bottom edge.
    FT_Outline_Translate(outline, 0, (kLastDescenderRow - kBaselineRow) * 64);
}

}  // namespace

std::uint32_t Windows1252ToUnicode(int code) {
    if (code >= 32 && code < 127) return static_cast<std::uint32_t>(code);
    if (code >= 128 && code < 160) return kWindows1252High[code - 128];
    return 0;
}

bool RenderGlyphAtlas(const std::string& fontPath, std::vector<std::uint8_t>& atlas, std::string& error) {
    atlas.assign(static_cast<size_t>(kAtlasWidth) * kAtlasHeight, 0);
    FreeTypeFace ft;
    if (FT_Init_FreeType(&ft.library) != 0) {
        error = "FreeType cannot start";
        return false;
    }
    if (FT_New_Face(ft.library, fontPath.c_str(), 0, &ft.face) != 0) {
        error = "cannot read the font " + fontPath;
        return false;
    }
    if (!FitCapitalHeight(ft.face, error)) return false;
    const FT_Pos roomBelow = (kLastDescenderRow - kBaselineRow) * 64;
    const FT_Pos deepest = DeepestDescent(ft.face);
    const double descentScale = deepest > roomBelow ? static_cast<double>(roomBelow) / deepest : 1.0;

    std::vector<std::uint8_t> cell(kCellSize * kCellSize);
    for (int k = 0; k < kCellCount; ++k) {
        const std::uint32_t character = Windows1252ToUnicode(kFirstCode + k);
        if (character == 0 || character == ' ') continue;
        FT_Outline* outline = nullptr;
        if (!LoadOutline(ft.face, character, &outline)) {
            error = "the font has no outline for character " + std::to_string(kFirstCode + k);
            return false;
        }
        FitIntoCell(outline, descentScale);
        FT_BBox box;
        FT_Outline_Get_BBox(outline, &box);
        if (box.xMin < 0 || box.yMin < 0 || box.xMax > kCellSize * 64 || box.yMax > kCellSize * 64) {
            error = "character " + std::to_string(kFirstCode + k) + " does not fit its cell";
            return false;
        }
        std::fill(cell.begin(), cell.end(), 0);
        FT_Bitmap bitmap = {};
        bitmap.rows = kCellSize;
        bitmap.width = kCellSize;
        bitmap.pitch = kCellSize;  // rows top first
        bitmap.buffer = cell.data();
        bitmap.num_grays = 256;
        bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
        if (FT_Outline_Get_Bitmap(ft.library, outline, &bitmap) != 0) {
            error = "cannot render character " + std::to_string(kFirstCode + k);
            return false;
        }
        const int left = (k % kCellColumns) * kCellSize;
        const int top = (k / kCellColumns) * kCellSize;
        for (int row = 0; row < kCellSize; ++row)
            std::copy_n(&cell[row * kCellSize], kCellSize, &atlas[(top + row) * kAtlasWidth + left]);
    }
    return true;
}

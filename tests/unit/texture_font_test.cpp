// The text font: the glyph atlas's layout, and what print draws, read back from
// the pixels of an offscreen context.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/font_atlas.h"
#include "app/texture_font.h"
#include "tests/unit/gl_test_context.h"

namespace {

// --- The atlas ---------------------------------------------------------------

int CellOf(int code) { return code - kFontFirstCode; }

// Coverage at (x, y) of cell k, y counted from the cell's top row.
int AtlasCoverage(int k, int x, int y) {
    const int left = (k % kFontCellColumns) * kFontCellSize;
    const int top = (k / kFontCellColumns) * kFontCellSize;
    return FontAtlasPixels()[(top + y) * kFontAtlasWidth + left + x];
}

struct Ink {
    bool any = false;
    int top = kFontCellSize, bottom = -1, left = kFontCellSize, right = -1;
};

Ink InkOf(int k) {
    Ink ink;
    for (int y = 0; y < kFontCellSize; ++y)
        for (int x = 0; x < kFontCellSize; ++x)
            if (AtlasCoverage(k, x, y) > 0) {
                ink.any = true;
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
    return ink;
}

TEST(FontAtlas, BlankControlAndUndefinedCellsAreEmptyAndEveryOtherCellHasAGlyph) {
    // Space, DEL, and the five codes Windows-1252 leaves undefined.
    const std::vector<int> emptyCodes = {32, 127, 0x81, 0x8D, 0x8F, 0x90, 0x9D};
    for (int k = 0; k < kFontCellCount; ++k) {
        const int code = kFontFirstCode + k;
        const bool shouldBeEmpty = std::find(emptyCodes.begin(), emptyCodes.end(), code) != emptyCodes.end();
        EXPECT_EQ(InkOf(k).any, !shouldBeEmpty) << "code " << code;
    }
}

TEST(FontAtlas, CapitalsAndDigitsStandOnTheBaselineRowAndReachTheCapRow) {
    const std::string capitalsAndDigits = "ABCDEFGHIKLMNOPRSTUVWXYZ0123456789";
    for (char c : capitalsAndDigits) {
        Ink ink = InkOf(CellOf(c));
        EXPECT_EQ(ink.top, kFontCapTopRow) << c;
        EXPECT_EQ(ink.bottom, kFontBaselineRow) << c;
    }
    // Q's tail and J's hook go below the baseline; their tops still sit on the cap row.
    for (char c : std::string("QJ")) {
        Ink ink = InkOf(CellOf(c));
        EXPECT_EQ(ink.top, kFontCapTopRow) << c;
        EXPECT_GE(ink.bottom, kFontBaselineRow) << c;
    }
    // Lower-case letters without descenders share the baseline.
    for (char c : std::string("acemnorsuvwxz")) EXPECT_EQ(InkOf(CellOf(c)).bottom, kFontBaselineRow) << c;
}

TEST(FontAtlas, DescendersGoBelowTheBaselineAndEndWithinTheCell) {
    int deepest = 0;
    for (char c : std::string("gjpqy")) {
        Ink ink = InkOf(CellOf(c));
        EXPECT_GT(ink.bottom, kFontBaselineRow + 3) << c;
        deepest = std::max(deepest, ink.bottom);
    }
    EXPECT_EQ(deepest, kFontCellSize - 1);
}

TEST(FontAtlas, GlyphsAreCentredHorizontallyInTheirCells) {
    for (int k = 0; k < kFontCellCount; ++k) {
        Ink ink = InkOf(k);
        if (!ink.any) continue;
        const int leftMargin = ink.left;
        const int rightMargin = kFontCellSize - 1 - ink.right;
        EXPECT_LE(std::abs(leftMargin - rightMargin), 1) << "code " << kFontFirstCode + k;
    }
}

// --- Drawing -----------------------------------------------------------------

// One texel per pixel: a unit is 32 pixels, so a glyph's pixels are its cell's.
constexpr int kUnit = kFontCellSize;

void PixelExactProjection(const GlTestContext& gl) {
    glViewport(0, 0, gl.width, gl.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, static_cast<double>(gl.width) / kUnit, 0, static_cast<double>(gl.height) / kUnit, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void ClearTo(float grey) {
    glClearColor(grey, grey, grey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

struct Area {
    int x, y;  // bottom-left pixel
};

// Largest difference between channel `channel` of the drawn square of 32 x 32
// pixels at `at` and cell k's coverage scaled by `scale` (white glyphs on black
// give the coverage itself). Adds the coverage drawn to *ink.
int DifferenceFromCell(const std::vector<uint8_t>& pixels, int width, Area at, int k, int channel = 0,
                       double scale = 1.0, long* ink = nullptr) {
    int worst = 0;
    for (int y = 0; y < kUnit; ++y)
        for (int x = 0; x < kUnit; ++x) {
            const int drawn = pixels[((at.y + y) * width + at.x + x) * 3 + channel];
            // Pixel row y from the bottom shows the cell's row 31 - y.
            const int expected = static_cast<int>(AtlasCoverage(k, x, kUnit - 1 - y) * scale + 0.5);
            worst = std::max(worst, std::abs(drawn - expected));
            if (ink) *ink += drawn;
        }
    return worst;
}

bool AllPixelsAre(const std::vector<uint8_t>& pixels, int x0, int x1, int width, int height, int value) {
    for (int y = 0; y < height; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c)
                if (pixels[(y * width + x) * 3 + c] != value) return false;
    return true;
}

float ModelviewX() {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return m[12];
}

TEST(TextureFont, BuildsAnAlphaAtlasWithItsWholeMipmapChainAndOneListPerCell) {
    GlTestContext gl(64, 64);
    REQUIRE_GL(gl);
    TextureFont font;
    ASSERT_NE(font.texture, 0u);
    ASSERT_NE(font.listBase, 0u);
    EXPECT_TRUE(glIsTexture(font.texture));
    glBindTexture(GL_TEXTURE_2D, font.texture);
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, kFontAtlasWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &value);
    EXPECT_EQ(value, kFontAtlasHeight);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
    EXPECT_TRUE(value == GL_ALPHA || value == GL_ALPHA8) << value;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 9, GL_TEXTURE_WIDTH, &value);  // 512 >> 9
    EXPECT_EQ(value, 1);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR_MIPMAP_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    for (int k = 0; k < kFontCellCount; ++k) EXPECT_TRUE(glIsList(font.listBase + k)) << k;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(TextureFont, PrintDrawsEachCharacterFromItsCellOneUnitToTheRightOfThePrevious) {
    GlTestContext gl(8 * kUnit, 2 * kUnit);
    REQUIRE_GL(gl);
    TextureFont font;
    PixelExactProjection(gl);
    ClearTo(0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glTranslatef(1.0f, 1.0f, 0.0f);  // the text starts at the current origin
    font.print("Hg 7~");
    EXPECT_FLOAT_EQ(ModelviewX(), 6.0f);  // the pen moved one unit per glyph, the blank included

    std::vector<uint8_t> pixels = gl.Pixels();
    const std::string expected = "Hg 7~";
    for (size_t i = 0; i < expected.size(); ++i) {
        long ink = 0;
        Area at{kUnit * static_cast<int>(1 + i), kUnit};
        EXPECT_LE(DifferenceFromCell(pixels, gl.width, at, CellOf(expected[i]), 0, 1.0, &ink), 2)
            << "glyph " << i;
        if (expected[i] != ' ') {
            EXPECT_GT(ink, 0) << "glyph " << i;
        }
    }
    // Nothing left of the start, right of the end, or below the baseline origin.
    EXPECT_TRUE(AllPixelsAre(pixels, 0, kUnit, gl.width, gl.height, 0));
    EXPECT_TRUE(AllPixelsAre(pixels, 6 * kUnit, 8 * kUnit, gl.width, gl.height, 0));
    EXPECT_TRUE(AllPixelsAre(pixels, 0, gl.width, gl.width, kUnit, 0));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(TextureFont, ControlCharactersAndBytesFrom128AreSkippedWithoutMovingThePen) {
    GlTestContext gl(6 * kUnit, kUnit);
    REQUIRE_GL(gl);
    TextureFont font;
    PixelExactProjection(gl);
    ClearTo(0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    // Tab, newline, 1 and 31, then bytes 128, 159, 233 and 255 (negative as
    // signed characters); DEL (127) is a drawn, empty cell.
    const std::string text = std::string("A\tB\n\x01\x1f") + "\x80\x9f\xe9\xff" + "\x7f" + "C";
    font.print(text);
    EXPECT_FLOAT_EQ(ModelviewX(), 4.0f);

    std::vector<uint8_t> pixels = gl.Pixels();
    EXPECT_LE(DifferenceFromCell(pixels, gl.width, {0, 0}, CellOf('A')), 2);
    EXPECT_LE(DifferenceFromCell(pixels, gl.width, {kUnit, 0}, CellOf('B')), 2);
    EXPECT_TRUE(AllPixelsAre(pixels, 2 * kUnit, 3 * kUnit, gl.width, gl.height, 0));  // DEL
    EXPECT_LE(DifferenceFromCell(pixels, gl.width, {3 * kUnit, 0}, CellOf('C')), 2);
    EXPECT_TRUE(AllPixelsAre(pixels, 4 * kUnit, 6 * kUnit, gl.width, gl.height, 0));
}

TEST(TextureFont, FrameRateTextAdvancesByItsLength) {
    GlTestContext gl(16 * kUnit, kUnit);
    REQUIRE_GL(gl);
    TextureFont font;
    PixelExactProjection(gl);
    ClearTo(0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    const std::string text = "FPS = 59.8802";
    font.print(text);
    EXPECT_FLOAT_EQ(ModelviewX(), static_cast<float>(text.size()));
    std::vector<uint8_t> pixels = gl.Pixels();
    for (size_t i = 0; i < text.size(); ++i)
        EXPECT_LE(DifferenceFromCell(pixels, gl.width, {kUnit * static_cast<int>(i), 0}, CellOf(text[i])), 2)
            << "glyph " << i;
}

TEST(TextureFont, AnEmptyStringDrawsNothingAndLeavesTheMatrix) {
    GlTestContext gl(2 * kUnit, kUnit);
    REQUIRE_GL(gl);
    TextureFont font;
    PixelExactProjection(gl);
    ClearTo(0.5f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glTranslatef(0.25f, 0.0f, 0.0f);
    std::vector<uint8_t> before = gl.Pixels();
    font.print("");
    font.print(std::string_view());
    EXPECT_FLOAT_EQ(ModelviewX(), 0.25f);
    EXPECT_EQ(gl.Pixels(), before);
}

TEST(TextureFont, GlyphsTakeTheCurrentColourAndTheirCoverageScalesItsAlpha) {
    GlTestContext gl(2 * kUnit, kUnit);
    REQUIRE_GL(gl);
    TextureFont font;
    PixelExactProjection(gl);
    ClearTo(0.0f);
    glColor4f(1.0f, 0.5f, 0.0f, 1.0f);
    font.print("M");
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    font.print("M");
    std::vector<uint8_t> pixels = gl.Pixels();
    EXPECT_LE(DifferenceFromCell(pixels, gl.width, {0, 0}, CellOf('M'), 0, 1.0), 2);  // red: full
    EXPECT_LE(DifferenceFromCell(pixels, gl.width, {0, 0}, CellOf('M'), 1, 0.5), 2);  // green: half
    EXPECT_LE(DifferenceFromCell(pixels, gl.width, {0, 0}, CellOf('M'), 2, 0.0), 0);  // blue: none
    for (int channel = 0; channel < 3; ++channel)  // half-transparent white over black
        EXPECT_LE(DifferenceFromCell(pixels, gl.width, {kUnit, 0}, CellOf('M'), channel, 0.5), 2);
}

struct FontStateSnapshot {
    GLboolean lighting, blend, texture2d;
    GLint blendSrc, blendDst, binding, envMode, matrixMode;

    static FontStateSnapshot Take() {
        FontStateSnapshot s{};
        s.lighting = glIsEnabled(GL_LIGHTING);
        s.blend = glIsEnabled(GL_BLEND);
        s.texture2d = glIsEnabled(GL_TEXTURE_2D);
        glGetIntegerv(GL_BLEND_SRC, &s.blendSrc);
        glGetIntegerv(GL_BLEND_DST, &s.blendDst);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.binding);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &s.envMode);
        glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
        return s;
    }
    void ExpectEqual(const FontStateSnapshot& o) const {
        EXPECT_EQ(lighting, o.lighting);
        EXPECT_EQ(blend, o.blend);
        EXPECT_EQ(texture2d, o.texture2d);
        EXPECT_EQ(blendSrc, o.blendSrc);
        EXPECT_EQ(blendDst, o.blendDst);
        EXPECT_EQ(binding, o.binding);
        EXPECT_EQ(envMode, o.envMode);
        EXPECT_EQ(matrixMode, o.matrixMode);
    }
};

TEST(TextureFont, PrintRestoresLightingBlendingTexturingAndTheTextureEnvironment) {
    GlTestContext gl(4 * kUnit, kUnit);
    REQUIRE_GL(gl);
    TextureFont font;
    PixelExactProjection(gl);
    GLuint otherTexture = 0;
    glGenTextures(1, &otherTexture);

    // Everything print changes, first switched the other way round...
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_ONE, GL_ZERO);
    glBindTexture(GL_TEXTURE_2D, otherTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    FontStateSnapshot before = FontStateSnapshot::Take();
    font.print("Ab1");
    FontStateSnapshot::Take().ExpectEqual(before);

    // ...then the same way print sets it, with other values where it has them.
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_DST_COLOR, GL_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    before = FontStateSnapshot::Take();
    font.print("Ab1");
    FontStateSnapshot::Take().ExpectEqual(before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(TextureFont, PrintIgnoresTheCallersLightingAndTextureSettings) {
    GlTestContext gl(2 * kUnit, kUnit);
    REQUIRE_GL(gl);
    TextureFont font;
    PixelExactProjection(gl);
    ClearTo(0.0f);
    // Lighting on with a black light, texturing off, a replacing environment:
    // print draws its glyphs in the current colour regardless.
    glEnable(GL_LIGHTING);
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glDisable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glColor3f(0.0f, 1.0f, 0.0f);
    font.print("W");
    std::vector<uint8_t> pixels = gl.Pixels();
    EXPECT_LE(DifferenceFromCell(pixels, gl.width, {0, 0}, CellOf('W'), 1), 2);
    EXPECT_LE(DifferenceFromCell(pixels, gl.width, {0, 0}, CellOf('W'), 0, 0.0), 0);
}

}  // namespace

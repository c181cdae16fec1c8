// The pixel-format score and the walk over a device's formats.
#include <gtest/gtest.h>

#include <vector>

#include "host/pixel_format.h"

namespace {

constexpr uint32_t kUsable = kPfdDoubleBuffer | kPfdDrawToWindow | kPfdSupportOpenGL;
constexpr uint32_t kHardware = kUsable;
constexpr uint32_t kGenericAccelerated = kUsable | kPfdGenericFormat | kPfdGenericAccelerated;
constexpr uint32_t kSoftware = kUsable | kPfdGenericFormat;

TEST(PixelFormat, Scores) {
    struct Case {
        PixelFormatTraits format;
        int32_t score;
    } cases[] = {
        {{kHardware, kPfdTypeRgba, 32, 24}, 2072},
        {{kHardware, kPfdTypeRgba, 16, 24}, 2064},
        {{kHardware, kPfdTypeRgba, 24, 16}, 2052},
        {{kGenericAccelerated, kPfdTypeRgba, 32, 24}, 1072},
        {{kSoftware, kPfdTypeRgba, 32, 32}, 88},
        {{kHardware, kPfdTypeRgba, 17, 0}, 2017},  // (16 - 17) / 2 truncates to 0
        {{kHardware, kPfdTypeRgba, 19, 0}, 2018},  // (16 - 19) / 2 = -1
        {{kSoftware, kPfdTypeRgba, 8, 0}, 8},
        {{kSoftware | kPfdGenericAccelerated, kPfdTypeRgba, 255, 255}, 1000 + 255 + 510 - 119},
        // Generic-accelerated without the generic flag is a hardware driver.
        {{kHardware | kPfdGenericAccelerated, kPfdTypeRgba, 16, 16}, 2048},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PixelFormatScore(c.format), c.score)
            << "flags 0x" << std::hex << c.format.dwFlags << std::dec << " colour " << int(c.format.cColorBits)
            << " depth " << int(c.format.cDepthBits);
    }
}

TEST(PixelFormat, EligibilityNeedsEveryRequiredFlagAndRgba) {
    EXPECT_TRUE(IsEligiblePixelFormat({kHardware, kPfdTypeRgba, 32, 24}));
    EXPECT_FALSE(IsEligiblePixelFormat({kHardware & ~kPfdDoubleBuffer, kPfdTypeRgba, 32, 24}));
    EXPECT_FALSE(IsEligiblePixelFormat({kHardware & ~kPfdDrawToWindow, kPfdTypeRgba, 32, 24}));
    EXPECT_FALSE(IsEligiblePixelFormat({kHardware & ~kPfdSupportOpenGL, kPfdTypeRgba, 32, 24}));
    EXPECT_FALSE(IsEligiblePixelFormat({kHardware, 1 /* colour index */, 32, 24}));
}

// A device's list of formats, described from index 1.
struct FormatList {
    std::vector<PixelFormatTraits> formats;
    int described = 0;
    static bool Describe(void* context, int index, PixelFormatTraits* format) {
        auto* list = static_cast<FormatList*>(context);
        ++list->described;
        if (index < 1 || index > static_cast<int>(list->formats.size())) return false;
        *format = list->formats[index - 1];
        return true;
    }
    int Best() { return BestPixelFormatIndex(Describe, this); }
};

TEST(PixelFormat, WalkPicksTheFirstHighestEligibleFormat) {
    FormatList list;
    list.formats = {
        {kSoftware, kPfdTypeRgba, 32, 32},                        // 1: software, 88
        {kHardware & ~kPfdDoubleBuffer, kPfdTypeRgba, 32, 32},    // 2: single buffer, never
        {kHardware, kPfdTypeRgba, 24, 16},                        // 3: 2052
        {kHardware, kPfdTypeRgba, 16, 24},                        // 4: 2064, deeper depth wins
        {kGenericAccelerated, kPfdTypeRgba, 32, 32},              // 5: 1088
        {kHardware, kPfdTypeRgba, 16, 24},                        // 6: 2064 again, later: loses the tie
        {kHardware, 1, 32, 32},                                   // 7: colour index, never
        {kHardware & ~kPfdSupportOpenGL, kPfdTypeRgba, 32, 32},   // 8: no OpenGL, never
    };
    EXPECT_EQ(list.Best(), 4);
    EXPECT_EQ(list.described, 9) << "describes every format, then one more that fails";
}

TEST(PixelFormat, RanksHardwareOverAcceleratedOverSoftwareWhateverTheDepths) {
    FormatList list;
    list.formats = {{kSoftware, kPfdTypeRgba, 255, 255}, {kGenericAccelerated, kPfdTypeRgba, 255, 255},
                    {kHardware, kPfdTypeRgba, 4, 0}};
    EXPECT_EQ(list.Best(), 3);
    list.formats.pop_back();
    EXPECT_EQ(list.Best(), 2);
    list.formats.pop_back();
    EXPECT_EQ(list.Best(), 1);
}

TEST(PixelFormat, BlurPrefersAStencilBufferWithinTheFormatsClass) {
    FormatList list;
    list.formats = {
        {kHardware, kPfdTypeRgba, 32, 24, 0},   // 1: 2072, no stencil buffer
        {kHardware, kPfdTypeRgba, 32, 24, 8},   // 2: 2072, with one
        {kHardware, kPfdTypeRgba, 32, 24, 8},   // 3: 2072, with one, later
        {kHardware, kPfdTypeRgba, 16, 16, 8},   // 4: 2048: a lower score never wins
    };
    EXPECT_EQ(list.Best(), 1) << "without blur the stencil buffer plays no part";
    EXPECT_EQ(BestPixelFormatIndex(FormatList::Describe, &list, true), 2);
    // Deeper depth bits do not outweigh a stencil buffer for blur (Wine lists 32-bit
    // depth formats without one); without blur they win as ever.
    list.formats = {{kHardware, kPfdTypeRgba, 32, 32, 0}, {kHardware, kPfdTypeRgba, 32, 24, 8}};
    EXPECT_EQ(BestPixelFormatIndex(FormatList::Describe, &list, true), 2);
    EXPECT_EQ(list.Best(), 1);
    // A better class still wins: a hardware format without one over a generic one with one.
    list.formats = {{kGenericAccelerated, kPfdTypeRgba, 32, 24, 8}, {kHardware, kPfdTypeRgba, 16, 16, 0}};
    EXPECT_EQ(BestPixelFormatIndex(FormatList::Describe, &list, true), 2);
}

TEST(PixelFormat, NoEligibleFormatGivesNone) {
    FormatList list;
    EXPECT_EQ(list.Best(), 0);
    list.formats = {{kHardware & ~kPfdDrawToWindow, kPfdTypeRgba, 32, 24}, {kHardware, 2, 32, 24}};
    EXPECT_EQ(list.Best(), 0);
    // A score of 0 cannot beat the starting best of 0.
    list.formats = {{kSoftware, kPfdTypeRgba, 0, 0}};
    EXPECT_EQ(list.Best(), 0);
}

}  // namespace

// The display mode's command line: what a good one stores and where it draws. The
// refusals of bad options are tested on the real program (tests/linux).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "app/settings_options.h"

namespace {

ParsedOptions Parse(std::vector<const char*> arguments, const char* environmentWindow = nullptr) {
    return ParseSaverOptions(static_cast<int>(arguments.size()), arguments.data(), environmentWindow, &Settings);
}

TEST(DisplayModeOptions, EverySettingTakesItsRangeEndsIntoItsOwnField) {
    for (const SettingDescription& setting : kSettingDescriptions) {
        if (setting.control == SettingControl::CheckBox) continue;
        SCOPED_TRACE(setting.name);
        for (int32_t value : {setting.minimum, setting.maximum}) {
            SetDefaults();
            const SaverSettings defaults = Settings;
            const std::string option = std::string("--") + setting.name, text = std::to_string(value);
            ASSERT_EQ(OptionOutcome::Run, Parse({option.c_str(), text.c_str()}).outcome);
            EXPECT_EQ(value, Settings.*setting.field);
            // No other setting moved.
            for (const SettingDescription& other : kSettingDescriptions) {
                if (other.field == setting.field) continue;
                EXPECT_EQ(defaults.*other.field, Settings.*other.field) << other.name;
            }
        }
    }
}

TEST(DisplayModeOptions, SwitchesTheLastWordWinsAndBlurAsksForAStencil) {
    SetDefaults();
    ParsedOptions parsed = Parse({"-blur", "-lighting", "-no-lighting"});
    EXPECT_EQ(1, Settings.blur);
    EXPECT_EQ(0, Settings.lighting);
    EXPECT_TRUE(parsed.run.stencil);
    parsed = Parse({"-no-blur"});
    EXPECT_FALSE(parsed.run.stencil);

    parsed = Parse({"-frame-rate", "0"});
    ASSERT_EQ(OptionOutcome::Run, parsed.outcome);
    EXPECT_EQ(0u, parsed.run.frameRate.perSecond);
    EXPECT_FALSE(parsed.run.frameRate.fromDisplay);
    EXPECT_EQ(0u, Settings.frameRate.perSecond) << "the settings carry the limit too";
    EXPECT_FALSE(Settings.frameRate.fromDisplay);
    EXPECT_TRUE(Parse({}).run.frameRate.fromDisplay) << "no -frame-rate: the display's rate";
    EXPECT_FALSE(Parse({}).run.showFrameRate);
    EXPECT_TRUE(Parse({"-fps"}).run.showFrameRate);
}

TEST(DisplayModeOptions, WhereToDraw) {
    SetDefaults();
    EXPECT_EQ(DrawTarget::OwnWindow, Parse({}).run.target);
    EXPECT_EQ(DrawTarget::Root, Parse({"-window", "-root"}).run.target);
    // The daemon's window, unless the command line names another; -root then loses.
    ParsedOptions parsed = Parse({"-root"}, "4194311");
    EXPECT_EQ(DrawTarget::WindowId, parsed.run.target);
    EXPECT_EQ(4194311ul, parsed.run.windowId);
    parsed = Parse({"-window-id", "0x1FFFFFFF", "-root"}, "4194311");
    EXPECT_EQ(DrawTarget::WindowId, parsed.run.target);
    EXPECT_EQ(0x1FFFFFFFul, parsed.run.windowId);
    // The environment is read only when it is used.
    EXPECT_EQ(OptionOutcome::Run, Parse({"-window-id", "12"}, "0xzz").outcome);
    EXPECT_EQ(OptionOutcome::Error, Parse({}, "0x20000000").outcome);
}

}  // namespace

// Which run mode a command line selects, and the preview handle's number.
#include <gtest/gtest.h>

#include <string>

#include "host/command_line.h"

namespace {

struct ModeCase {
    const char* commandLine;
    RunMode mode;
};

const char* Name(RunMode mode) {
    switch (mode) {
        case RunMode::ConfigureNoOwner: return "ConfigureNoOwner";
        case RunMode::ConfigureForeground: return "ConfigureForeground";
        case RunMode::FullScreen: return "FullScreen";
        case RunMode::Preview: return "Preview";
        case RunMode::Windowed: return "Windowed";
        case RunMode::ChangePassword: return "ChangePassword";
        case RunMode::Invalid: return "Invalid";
    }
    return "?";
}

TEST(CommandLine, SelectsTheModeFromTheFirstSignificantCharacter) {
    const ModeCase cases[] = {
        {"", RunMode::ConfigureNoOwner},
        {"/", RunMode::ConfigureNoOwner},
        {" - / -- ", RunMode::ConfigureNoOwner},
        {"/c", RunMode::ConfigureForeground},
        {"-C", RunMode::ConfigureForeground},
        {"/c:1234", RunMode::ConfigureForeground},
        {"/S", RunMode::FullScreen},
        {"-s", RunMode::FullScreen},
        {"s", RunMode::FullScreen},
        {" /s", RunMode::FullScreen},
        {"//--s", RunMode::FullScreen},
        {"/save", RunMode::FullScreen},
        {"/p 1234", RunMode::Preview},
        {"/P1234", RunMode::Preview},
        {"/w", RunMode::Windowed},
        {"W", RunMode::Windowed},
        {"/a", RunMode::ChangePassword},
        {"/A 5678", RunMode::ChangePassword},
        {"/x", RunMode::Invalid},
        {"/1", RunMode::Invalid},
        {"/\ts", RunMode::Invalid},   // a tab is not a separator
        {"\xE9", RunMode::Invalid},   // bytes of 0x80 and above match no letter
        {"/\x80s", RunMode::Invalid},
        {"/\xFF", RunMode::Invalid},
        {"+s", RunMode::Invalid},
        {"\\s", RunMode::Invalid},
    };
    for (const ModeCase& c : cases) {
        EXPECT_STREQ(Name(SelectRunMode(c.commandLine).mode), Name(c.mode)) << "command line \"" << c.commandLine << '"';
    }
}

TEST(CommandLine, PreviewTextStartsAfterTheLetterAndItsBlanks) {
    EXPECT_STREQ(SelectRunMode("/p 1234").rest, "1234");
    EXPECT_STREQ(SelectRunMode("/p   1234 junk").rest, "1234 junk");
    EXPECT_STREQ(SelectRunMode("-p1234").rest, "1234");
    EXPECT_STREQ(SelectRunMode("/p:1234").rest, ":1234");
    EXPECT_STREQ(SelectRunMode("/p").rest, "");
    // Only blanks are skipped after the letter, never a tab.
    EXPECT_STREQ(SelectRunMode("/p\t12").rest, "\t12");
}

TEST(CommandLine, ParseDecimalReadsLeadingDigitsOnly) {
    EXPECT_EQ(ParseDecimal("1234"), 1234);
    EXPECT_EQ(ParseDecimal("1234 5"), 1234);
    EXPECT_EQ(ParseDecimal("00042x"), 42);
    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(ParseDecimal(":1234"), 0);  // so "/p:1234" names no window
    EXPECT_EQ(ParseDecimal("-5"), 0);     // no sign
    EXPECT_EQ(ParseDecimal(" 5"), 0);     // no blanks
    EXPECT_EQ(ParseDecimal("2147483647"), 2147483647);
}

TEST(CommandLine, ParseDecimalWrapsAroundAt32Bits) {
    EXPECT_EQ(ParseDecimal("2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimal("4294967295"), -1);
    EXPECT_EQ(ParseDecimal("4294967296"), 0);
    EXPECT_EQ(ParseDecimal("4294967297"), 1);
    // 10^12 mod 2^32 = 3567587328, which is negative as a signed 32-bit value.
    EXPECT_EQ(ParseDecimal("1000000000000"), static_cast<int32_t>(3567587328u));
}

}  // namespace

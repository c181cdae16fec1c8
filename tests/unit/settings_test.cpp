// The settings record over the per-user store (a file natively, the registry under
// Wine): defaults, overlaying stored values, writing, and the model path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "platform/user_store.h"
#include "platform/trace.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace {

std::vector<std::string> traced;
void Capture(const char* message) { traced.push_back(message); }

void SetEnvironment(const char* name, const char* value) {
#if defined(_WIN32)
    _putenv_s(name, value);  // an empty value removes it
#else
    if (*value) setenv(name, value, 1);
    else unsetenv(name);
#endif
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
#if !defined(_WIN32)
        char folder[] = "/tmp/velmora-settings.XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        configFolder = folder;
        SetEnvironment("XDG_CONFIG_HOME", folder);
#endif
        const char* temp = std::getenv("TEMP");
        savedTemp = temp ? temp : "";
        ASSERT_TRUE(DeleteUserKey(kSettingsKeyPath));
        previousSink = SetTraceSink(Capture);
        traced.clear();
    }
    void TearDown() override {
        SetTraceSink(previousSink);
        DeleteUserKey(kSettingsKeyPath);
        SetEnvironment("TEMP", savedTemp.c_str());
#if !defined(_WIN32)
        std::string command = "rm -rf '" + configFolder + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
#endif
    }

    static void Store(std::initializer_list<std::pair<const char*, uint32_t>> values) {
        UserStoreKey* key = CreateUserKeyForWriting(kSettingsKeyPath);
        ASSERT_NE(key, nullptr);
        for (const auto& [name, value] : values) ASSERT_TRUE(WriteUserValue(key, name, value));
        CloseUserKey(key);
    }

    static void ExpectDefaultsExcept(const char* changed) {
        const std::pair<const char*, std::pair<int32_t, int32_t>> fields[] = {
            {"xoff", {Settings.xoff, 134}},   {"yoff", {Settings.yoff, 0}},     {"zoff", {Settings.zoff, 0}},
            {"vel", {Settings.vel, 20}},      {"xrot", {Settings.xrot, 0}},     {"xrots", {Settings.xrots, 1}},
            {"yrot", {Settings.yrot, 0}},     {"yrots", {Settings.yrots, 1}},   {"zrot", {Settings.zrot, 360}},
            {"zrots", {Settings.zrots, 20}},  {"scale", {Settings.scale, 100}}, {"blur", {Settings.blur, 0}},
            {"lighting", {Settings.lighting, 0}},
        };
        for (const auto& [name, values] : fields) {
            if (!std::strcmp(name, changed)) continue;
            EXPECT_EQ(values.first, values.second) << name;
        }
    }

    std::string configFolder;
    std::string savedTemp;
    TraceSink previousSink = nullptr;
};

TEST_F(SettingsStore, DefaultsAndAMissingKey) {
    Settings.scale = 999;
    SetDefaults();
    EXPECT_STREQ(Settings.modelPath, "none");
    ExpectDefaultsExcept("");
    Settings.frameRate = {42, false};
    ReadFromRegistry();
    ExpectDefaultsExcept("");
    // A fresh install, without the key, follows the display (60 where it says none).
    EXPECT_EQ(Settings.frameRate.perSecond, 60u);
    EXPECT_TRUE(Settings.frameRate.fromDisplay);
    ASSERT_GE(traced.size(), 3u);
    EXPECT_EQ(traced[0], "Setting default values");
    EXPECT_EQ(traced[1], "Reading Registry...");
    EXPECT_EQ(traced[2], std::string("Custom-compiled file: ") + Settings.modelPath);
}

TEST_F(SettingsStore, StoredValuesOverlayTheDefaults) {
    Store({{"scale", 250}});
    SetDefaults();
    Settings.frameRate = {42, false};
    ReadFromRegistry();
    EXPECT_EQ(Settings.scale, 250);
    ExpectDefaultsExcept("scale");
    EXPECT_EQ(Settings.frameRate.perSecond, 60u) << "none stored: the default limit";
    EXPECT_TRUE(Settings.frameRate.fromDisplay);

    Store({{"blur", 2}, {"xoff", 0xFFFFFFFFu}, {"FrameRateLimit", 30}});
    ReadFromRegistry();
    EXPECT_EQ(Settings.blur, 2) << "any nonzero value is kept as it is";
    EXPECT_EQ(Settings.xoff, -1) << "values are signed and never range-checked";
    EXPECT_EQ(Settings.frameRate.perSecond, 30u);
    EXPECT_FALSE(Settings.frameRate.fromDisplay) << "a stored limit caps, whatever the display";
}

TEST_F(SettingsStore, ReReadKeepsValuesAbsentFromTheStore) {
    Store({{"scale", 250}});
    SetDefaults();
    Settings.vel = 77;
    Settings.lighting = 1;
    ReadFromRegistry();
    EXPECT_EQ(Settings.vel, 77);
    EXPECT_EQ(Settings.lighting, 1);
    EXPECT_EQ(Settings.scale, 250);
}

TEST_F(SettingsStore, WriteStoresAllThirteenValues) {
    SetDefaults();
    Settings.xoff = 359;
    Settings.zrots = 300;
    Settings.blur = 1;
    Settings.yoff = -5;
    ASSERT_TRUE(WriteToRegistry());
    EXPECT_EQ(traced.back(), "Writing registry values...");

    const char* names[] = {"xoff", "yoff", "zoff", "vel", "xrot", "xrots", "yrot",
                           "yrots", "zrot", "zrots", "scale", "blur", "lighting"};
    const uint32_t expected[] = {359, 0xFFFFFFFBu, 0, 20, 0, 1, 0, 1, 360, 300, 100, 1, 0};
    UserStoreKey* key = OpenUserKeyForReading(kSettingsKeyPath);
    ASSERT_NE(key, nullptr);
    for (size_t i = 0; i < 13; ++i) {
        uint32_t value = 12345;
        EXPECT_TRUE(ReadUserValue(key, names[i], &value)) << names[i];
        EXPECT_EQ(value, expected[i]) << names[i];
    }
    CloseUserKey(key);

    SetDefaults();
    ReadFromRegistry();
    EXPECT_EQ(Settings.xoff, 359);
    EXPECT_EQ(Settings.yoff, -5);

#if !defined(_WIN32)
    // The file store keeps the order in which the values were written.
    std::ifstream file(configFolder + "/velmora/Software/VLG");
    std::string line;
    size_t i = 0;
    while (std::getline(file, line) && i < 13) {
        EXPECT_EQ(line.substr(0, line.find('=')), names[i]) << "line " << i;
        ++i;
    }
    EXPECT_EQ(i, 13u);
#endif
}

TEST_F(SettingsStore, ModelPathIsTheTemporaryFolderAndTheDefaultModel) {
    SetEnvironment("TEMP", "C:\\Users\\me\\AppData\\Local\\Temp");
    SetDefaults();
    ReadFromRegistry();
    EXPECT_STREQ(Settings.modelPath, "C:\\Users\\me\\AppData\\Local\\Temp\\VLG.3DS");

    // Without "TEMP" the platform's temporary folder serves.
    SetEnvironment("TEMP", "");
    ReadFromRegistry();
    char folder[kModelPathSize];
    ASSERT_NE(TemporaryFolder(folder, sizeof folder)[0], '\0');
    EXPECT_EQ(std::string(Settings.modelPath), std::string(folder) + "\\VLG.3DS");
    EXPECT_NE(folder[std::strlen(folder) - 1], '\\') << "no trailing separator";
    EXPECT_NE(folder[std::strlen(folder) - 1], '/') << "no trailing separator";
}

TEST_F(SettingsStore, ModelPathThatWouldNotFitStaysEmpty) {
    // 247 characters and "\Texture.jpg", the longest name unpacked beside the model,
    // make 259: the longest folder whose files all fit.
    std::string longest(247, 'a');
    SetEnvironment("TEMP", longest.c_str());
    ReadFromRegistry();
    EXPECT_EQ(std::string(Settings.modelPath), longest + "\\VLG.3DS");
    char folder[kModelPathSize];
    EXPECT_EQ(std::string(DefaultModelFolder(folder, sizeof folder)), longest);

    // 248 would fit "\VLG.3DS" but not "\Texture.jpg": nothing is unpacked there.
    for (size_t length : {248u, 252u, 259u, 260u, 400u}) {
        std::string tooLong(length, 'b');
        SetEnvironment("TEMP", tooLong.c_str());
        std::memset(Settings.modelPath, 'x', sizeof Settings.modelPath);
        ReadFromRegistry();
        EXPECT_STREQ(Settings.modelPath, "") << "TEMP of " << length << " characters";
        EXPECT_STREQ(DefaultModelFolder(folder, sizeof folder), "") << "TEMP of " << length << " characters";
    }
}

}  // namespace

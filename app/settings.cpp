#include "app/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/monitor_plan.h"
#include "platform/user_store.h"
#include "platform/temp_folder.h"
#include "platform/trace.h"
#include "resources/resource_ids.h"

SaverSettings Settings;

namespace {
constexpr SettingControl kTrackbar = SettingControl::Trackbar;
constexpr SettingControl kCheckBox = SettingControl::CheckBox;
}  // namespace

const SettingDescription kSettingDescriptions[kSettingCount] = {
    {"xoff", &SaverSettings::xoff, 134, 0, 359, kTrackbar, IDC_XOFF, "Offset X Axis (degrees)"},
    {"yoff", &SaverSettings::yoff, 0, 0, 359, kTrackbar, IDC_YOFF, "Offset Y Axis (degrees)"},
    {"zoff", &SaverSettings::zoff, 0, 0, 359, kTrackbar, IDC_ZOFF, "Offset Z Axis (degrees)"},
    {"vel", &SaverSettings::vel, 20, 0, 100, kTrackbar, IDC_VEL, "Movement Speed"},
    {"xrot", &SaverSettings::xrot, 0, 0, 360, kTrackbar, IDC_XROT, "Rotate X Axis (degrees)"},
    {"xrots", &SaverSettings::xrots, 1, 1, 300, kTrackbar, IDC_XROTS, "Rotate X Axis (speed)"},
    {"yrot", &SaverSettings::yrot, 0, 0, 360, kTrackbar, IDC_YROT, "Rotate Y Axis (degrees)"},
    {"yrots", &SaverSettings::yrots, 1, 1, 300, kTrackbar, IDC_YROTS, "Rotate Y Axis (speed)"},
    {"zrot", &SaverSettings::zrot, 360, 0, 360, kTrackbar, IDC_ZROT, "Rotate Z Axis (degrees)"},
    {"zrots", &SaverSettings::zrots, 20, 1, 300, kTrackbar, IDC_ZROTS, "Rotate Z Axis (speed)"},
    {"scale", &SaverSettings::scale, 100, 1, 1000, kTrackbar, IDC_SCALE, "Scale"},
    {"blur", &SaverSettings::blur, 0, 0, 1, kCheckBox, IDC_BLUR, "Motion Blur"},
    {"lighting", &SaverSettings::lighting, 0, 0, 1, kCheckBox, IDC_LIGHTING, "Lighting"},
};

namespace {

// The longest name the default model's archive writes beside it.
constexpr const char* kLongestUnpackedName = "Texture.jpg";

// The default model is always the one unpacked into the temporary folder.
void BuildModelPath() {
    char folder[kModelPathSize];
    DefaultModelFolder(folder, sizeof folder);
    if (folder[0] == '\0') Settings.modelPath[0] = '\0';
    else std::snprintf(Settings.modelPath, sizeof Settings.modelPath, "%s\\%s", folder, kDefaultModelName);
    TraceF("Custom-compiled file: %s", Settings.modelPath);
}

}  // namespace

const char* DefaultModelFolder(char* buffer, int size) {
    TemporaryFolder(buffer, size);
    // A folder whose unpacked files' paths would not fit is no folder for the model:
    // nothing is written there, and the model path is left empty rather than cut into
    // the name of another file.
    if (std::strlen(buffer) + 1 + std::strlen(kLongestUnpackedName) >= static_cast<size_t>(kModelPathSize))
        buffer[0] = '\0';
    return buffer;
}

const char* TemporaryFolder(char* buffer, int size) {
    const char* temp = std::getenv("TEMP");
    if (temp && *temp) {
        std::snprintf(buffer, static_cast<size_t>(size), "%s", temp);
        // A folder name too long for the buffer is not the folder: leave it unusable.
        if (std::strlen(temp) >= static_cast<size_t>(size)) buffer[0] = '\0';
        return buffer;
    }
    return PlatformTemporaryFolder(buffer, size);
}

void LoadSettings() {
    SetDefaults();
    ReadFromRegistry();
}

void SetDefaults() {
    Trace("Setting default values");
    std::snprintf(Settings.modelPath, sizeof Settings.modelPath, "none");
    for (const SettingDescription& setting : kSettingDescriptions) Settings.*setting.field = setting.defaultValue;
    Settings.modelFile.clear();
    Settings.monitors = static_cast<int32_t>(MonitorLayout::Each);
    Settings.frameRate = FrameRateLimit{};
}

void ReadFromRegistry() {
    Trace("Reading Registry...");
    UserStoreKey* key = OpenUserKeyForReading(kSettingsKeyPath);
    BuildModelPath();
    if (key) {
        for (const SettingDescription& setting : kSettingDescriptions) {
            uint32_t stored;
            if (ReadUserValue(key, setting.name, &stored)) Settings.*setting.field = static_cast<int32_t>(stored);
        }
        ReadUserText(key, kModelFileValue, &Settings.modelFile);
        uint32_t monitors = 0;
        if (ReadUserValue(key, kMonitorsValue, &monitors))
            Settings.monitors = static_cast<int32_t>(MonitorLayoutFromStored(monitors));
        CloseUserKey(key);
    }
    // Also without the key (a fresh install), so the default limit applies.
    Settings.frameRate = ReadFrameRateLimit();
}

FrameRateLimit ReadFrameRateLimit() {
    FrameRateLimit read;
    UserStoreKey* key = OpenUserKeyForReading(kSettingsKeyPath);
    if (!key) return read;
    uint32_t limit = 0;
    if (ReadUserValue(key, "FrameRateLimit", &limit)) {
        read.perSecond = limit;
        read.fromDisplay = false;
    }
    CloseUserKey(key);
    return read;
}

bool WriteToRegistry() {
    Trace("Writing registry values...");
    UserStoreKey* key = CreateUserKeyForWriting(kSettingsKeyPath);
    if (!key) return false;
    // Every value is tried; one refused write makes the whole save a failure.
    bool everyValue = true;
    for (const SettingDescription& setting : kSettingDescriptions) {
        if (!WriteUserValue(key, setting.name, static_cast<uint32_t>(Settings.*setting.field))) everyValue = false;
    }
    const uint32_t monitors = static_cast<uint32_t>(MonitorLayoutFromStored(static_cast<uint32_t>(Settings.monitors)));
    if (!WriteUserValue(key, kMonitorsValue, monitors)) everyValue = false;
    const bool modelFileSaved = Settings.modelFile.empty() ? DeleteUserValue(key, kModelFileValue)
                                                           : WriteUserText(key, kModelFileValue, Settings.modelFile);
    if (!modelFileSaved) everyValue = false;
    CloseUserKey(key);
    return everyValue;
}

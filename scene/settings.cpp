#include "scene/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host_state.h"
#include "host/trace.h"
#include "host/user_store.h"
#include "scene/temp_folder.h"

SaverSettings Settings;

namespace {

// The stored values, in the order they are read and written.
struct StoredValue {
    const char* name;
    int32_t SaverSettings::*field;
};
const StoredValue kStoredValues[] = {
    {"xoff", &SaverSettings::xoff},   {"yoff", &SaverSettings::yoff},   {"zoff", &SaverSettings::zoff},
    {"vel", &SaverSettings::vel},     {"xrot", &SaverSettings::xrot},   {"xrots", &SaverSettings::xrots},
    {"yrot", &SaverSettings::yrot},   {"yrots", &SaverSettings::yrots}, {"zrot", &SaverSettings::zrot},
    {"zrots", &SaverSettings::zrots}, {"scale", &SaverSettings::scale}, {"blur", &SaverSettings::blur},
    {"lighting", &SaverSettings::lighting},
};

constexpr const char* kDefaultModelName = "VLG.3DS";
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

void SetDefaults() {
    Trace("Setting default values");
    std::snprintf(Settings.modelPath, sizeof Settings.modelPath, "none");
    Settings.xoff = 134;
    Settings.yoff = 0;
    Settings.zoff = 0;
    Settings.vel = 20;
    Settings.xrot = 0;
    Settings.xrots = 1;
    Settings.yrot = 0;
    Settings.yrots = 1;
    Settings.zrot = 360;
    Settings.zrots = 20;
    Settings.scale = 100;
    Settings.blur = 0;
    Settings.lighting = 0;
}

void ReadFromRegistry() {
    Trace("Reading Registry...");
    UserStoreKey* key = OpenUserKeyForReading(kSettingsKeyPath);
    BuildModelPath();
    if (key) {
        for (const StoredValue& value : kStoredValues) {
            uint32_t stored;
            if (ReadUserValue(key, value.name, &stored)) Settings.*value.field = static_cast<int32_t>(stored);
        }
        CloseUserKey(key);
    }
    // Also without the key (a fresh install), so the default limit applies.
    ReadFrameRateLimit();
}

bool WriteToRegistry() {
    Trace("Writing registry values...");
    UserStoreKey* key = CreateUserKeyForWriting(kSettingsKeyPath);
    if (!key) return false;
    // Every value is tried; one refused write makes the whole save a failure.
    bool everyValue = true;
    for (const StoredValue& value : kStoredValues) {
        if (!WriteUserValue(key, value.name, static_cast<uint32_t>(Settings.*value.field))) everyValue = false;
    }
    CloseUserKey(key);
    return everyValue;
}

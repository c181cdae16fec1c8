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

// The default model is always the one unpacked into the temporary folder. A path
// that would not fit is left empty rather than cut into the name of another file.
void BuildModelPath() {
    char folder[kModelPathSize];
    TemporaryFolder(folder, sizeof folder);
    int length = std::snprintf(Settings.modelPath, sizeof Settings.modelPath, "%s\\%s", folder, "VLG.3DS");
    if (folder[0] == '\0' || length < 0 || length >= kModelPathSize) Settings.modelPath[0] = '\0';
    TraceF("Custom-compiled file: %s", Settings.modelPath);
}

}  // namespace

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
    for (const StoredValue& value : kStoredValues) {
        WriteUserValue(key, value.name, static_cast<uint32_t>(Settings.*value.field));
    }
    CloseUserKey(key);
    return true;
}

// The saver's settings: one process-wide record, loaded from the per-user store
// (HKEY_CURRENT_USER "Software\VLG") as the process starts and again at every saver
// start.
#pragma once
#include <cstdint>
#include <string>

#include "host/frame_pacing.h"

constexpr int kModelPathSize = 260;

// The built-in model's file among the members the packed archive unpacks.
constexpr const char* kDefaultModelName = "VLG.3DS";

// The per-user settings key that holds the saver's values and "FrameRateLimit".
constexpr const char* kSettingsKeyPath = "Software\\VLG";

struct SaverSettings {
    char modelPath[kModelPathSize];  // the unpacked default model; "none" only before the first read
    int32_t xoff;      // degrees added to the turn about x, and the start angle about x
    int32_t yoff;
    int32_t zoff;
    int32_t vel;       // drift speed
    int32_t xrot;      // turn limit about x: 0 none, 360 endless, else reverses there
    int32_t xrots;     // turn speed about x, 0.05 degree a frame per unit
    int32_t yrot;
    int32_t yrots;
    int32_t zrot;
    int32_t zrots;
    int32_t scale;     // percent
    int32_t blur;      // motion blur: any nonzero value is on
    int32_t lighting;  // lighting: any nonzero value is on
    // The user's own model ("ModelFile", text): the full path of a 3DS, MS3D, OBJ or
    // glTF file as UTF-8; empty for the built-in lodge.
    std::string modelFile;
    // Where a full-screen run draws ("Monitors"): as MonitorLayout, 0 each monitor its
    // own lodge, 1 one lodge across all, 2 the main monitor only; any other stored
    // value reads as 0.
    int32_t monitors;
    // The frame-rate cap ("FrameRateLimit", not part of the dialog): the stored number
    // of frames a second (0: none); none stored, the display's refresh rate.
    FrameRateLimit frameRate;
};

// The name of the stored value that holds the user's own model.
constexpr const char* kModelFileValue = "ModelFile";
// The name of the stored value that says where a full-screen run draws.
constexpr const char* kMonitorsValue = "Monitors";

extern SaverSettings Settings;

// How the configuration dialog edits a value.
enum class SettingControl {
    Trackbar,  // its value label is the control id less 1
    CheckBox,  // checked for exactly 1
};

// One stored value: its registry name, its field, its default, the range the dialog
// offers, the control that edits it and the dialog's caption for it.
struct SettingDescription {
    const char* name;
    int32_t SaverSettings::*field;
    int32_t defaultValue;
    int32_t minimum;
    int32_t maximum;
    SettingControl control;
    int controlId;
    const char* label;
};

// The thirteen values, in the order they are read, written and set up in the dialog.
constexpr int kSettingCount = 13;
extern const SettingDescription kSettingDescriptions[kSettingCount];

// The settings as every start sees them: the defaults, overlaid by the stored values
// and the frame-rate limit. Run at process start and at every saver start.
void LoadSettings();

// Every field to its default; the model path to "none"; no model file of the user's;
// the frame-rate limit as when none is stored.
void SetDefaults();
// Rebuilds the model path, overlays the fields with the stored values that exist,
// then reads the frame-rate limit.
void ReadFromRegistry();
// Writes the thirteen values, "Monitors" and the user's model file (removed when there is none); false when the key can be neither opened nor created or
// any value was refused (the others are still written).
bool WriteToRegistry();

// Reads "FrameRateLimit" from the settings key: the stored number (0 = no cap). When
// the key or the value is missing or not a 32-bit number, fromDisplay: frames follow
// the display's refresh rate, or 60 a second where the system reports none.
FrameRateLimit ReadFrameRateLimit();


// The folder "TEMP" names, or the platform's temporary folder when it is unset or
// empty, without a trailing separator.
const char* TemporaryFolder(char* buffer, int size);
// The one folder the default model is unpacked into and read from: the temporary
// folder, or empty when there is none or the model's path in it would not fit.
const char* DefaultModelFolder(char* buffer, int size);

// The configuration dialog: eleven trackbars and two check boxes over the settings
// record, OK to store, Cancel to leave, Default to show the defaults, "?" for About.
#include "scene/win32_configure_dialog.h"

#include <commctrl.h>

#include <cstdint>
#include <cstdio>

#include "host/host_state.h"
#include "host/trace.h"
#include "host/win32_host.h"
#include "scene/settings.h"
#include "scene/win32_dialog_layout.h"

namespace {

constexpr int kMotionBlurBox = IDC_BLUR;
constexpr int kLightingBox = IDC_LIGHTING;
constexpr int kDefaultButton = IDC_DEFAULT;
constexpr int kHelpButton = IDC_ABOUT;
constexpr int kXRotationSpeedTrackbar = IDC_XROTS;
constexpr int kCaptionLabelId = IDC_CAPTION;  // every caption label; never addressed otherwise

// One trackbar: its control id (its value label is id - 1), its range and the field
// it edits. In the order the dialog sets them up and looks them up.
struct Trackbar {
    int id;
    int minimum;
    int maximum;
    int32_t SaverSettings::*field;
};

constexpr Trackbar kTrackbars[] = {
    {IDC_XOFF, 0, 359, &SaverSettings::xoff},   {IDC_YOFF, 0, 359, &SaverSettings::yoff},
    {IDC_ZOFF, 0, 359, &SaverSettings::zoff},   {IDC_VEL, 0, 100, &SaverSettings::vel},
    {IDC_XROT, 0, 360, &SaverSettings::xrot},   {IDC_XROTS, 1, 300, &SaverSettings::xrots},
    {IDC_YROT, 0, 360, &SaverSettings::yrot},   {IDC_YROTS, 1, 300, &SaverSettings::yrots},
    {IDC_ZROT, 0, 360, &SaverSettings::zrot},   {IDC_ZROTS, 1, 300, &SaverSettings::zrots},
    {IDC_SCALE, 1, 1000, &SaverSettings::scale},
};

void SetLabelNumber(HWND dialog, int trackbarId, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    SetDlgItemTextA(dialog, trackbarId - 1, text);
}

// The boxes are plain check boxes: the dialog flips them itself.
void ToggleCheckBox(HWND dialog, int id) {
    switch (IsDlgButtonChecked(dialog, id)) {
        case BST_UNCHECKED: CheckDlgButton(dialog, id, BST_CHECKED); break;
        case BST_CHECKED: CheckDlgButton(dialog, id, BST_UNCHECKED); break;
        default: Trace("Box has an invalid value???"); break;
    }
}

// A field follows its box only when the box is plainly checked or unchecked.
void ReadCheckBox(HWND dialog, int id, int32_t& field) {
    switch (IsDlgButtonChecked(dialog, id)) {
        case BST_UNCHECKED: field = 0; break;
        case BST_CHECKED: field = 1; break;
        default: break;
    }
}

void OnCommand(HWND dialog, int id) {
    switch (id) {
        case IDOK:
            Trace("User hit OK");
            readDialogValues(dialog);
            // A save that failed is said, and the dialog stays open: the user can try
            // again or cancel, rather than find the old settings in the next run.
            if (!WriteToRegistry()) {
                MessageBoxA(dialog, "The settings could not be saved.", "Error", MB_OK | MB_ICONERROR);
                break;
            }
            EndDialog(dialog, IDOK);
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        case kMotionBlurBox:
            Trace("User hit the motion blur checkbox...");
            ToggleCheckBox(dialog, kMotionBlurBox);
            break;
        case kLightingBox:
            Trace("User hit the lighting checkbox...");
            ToggleCheckBox(dialog, kLightingBox);
            break;
        case kDefaultButton:
            Trace("User hit the DEFAULT button");
            SetDefaults();
            setDialogValues(dialog);
            break;
        case kHelpButton:
            Trace("User hit the HELP button");
            // Owned by the dialog, which stays disabled while the About box is open.
            DialogBoxParamA(static_cast<HINSTANCE>(HostState.instance), MAKEINTRESOURCEA(kAboutDialogId), dialog,
                            ScreenSaverHelpDialog, 0);
            break;
        default:
            break;
    }
}

}  // namespace

bool setDialogValues(HWND dialog) {
    Trace("Setting values");
    for (const Trackbar& trackbar : kTrackbars) {
        const int value = Settings.*trackbar.field;
        SendDlgItemMessageA(dialog, trackbar.id, TBM_SETRANGE, FALSE, MAKELPARAM(trackbar.minimum, trackbar.maximum));
        SendDlgItemMessageA(dialog, trackbar.id, TBM_SETPOS, TRUE, value);
        SendDlgItemMessageA(dialog, trackbar.id, TBM_SETLINESIZE, 0, 1);
        SendDlgItemMessageA(dialog, trackbar.id, TBM_SETPAGESIZE, 0, 5);
        SetLabelNumber(dialog, trackbar.id, value);
    }
    CheckDlgButton(dialog, kMotionBlurBox, Settings.blur == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kLightingBox, Settings.lighting == 1 ? BST_CHECKED : BST_UNCHECKED);
    return true;
}

void readDialogValues(HWND dialog) {
    for (const Trackbar& trackbar : kTrackbars) {
        Settings.*trackbar.field = static_cast<int32_t>(SendDlgItemMessageA(dialog, trackbar.id, TBM_GETPOS, 0, 0));
    }
    ReadCheckBox(dialog, kMotionBlurBox, Settings.blur);
    ReadCheckBox(dialog, kLightingBox, Settings.lighting);
}

bool updateTrackbarLabel(HWND dialog, HWND control) {
    for (const Trackbar& trackbar : kTrackbars) {
        if (control != GetDlgItem(dialog, trackbar.id)) continue;
        SetLabelNumber(dialog, trackbar.id, static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0)));
        if (trackbar.id == kXRotationSpeedTrackbar) Trace("Caught some xrotation speed input");
        return true;
    }
    return false;
}

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            // The trackbars exist already: importing this call from comctl32 is what
            // registered their class, as the library loaded with the program.
            InitCommonControls();
            Trace("ScreenSaverConfigureDialog:\tCaught a WM_INITDIALOG signal");
            WidenClippedLabels(dialog, kCaptionLabelId);
            setDialogValues(dialog);
            return TRUE;  // the dialog manager sets the focus
        case WM_HSCROLL:
            return updateTrackbarLabel(dialog, reinterpret_cast<HWND>(lParam));
        case WM_COMMAND:
            Trace("ScreenSaverConfigureDialog:\tCaught a WM_COMMAND signal");
            OnCommand(dialog, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK ScreenSaverHelpDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            InitCommonControls();
            Trace("ScreenSaverHelpDialog:\tCaught a WM_INITDIALOG signal");
            return TRUE;
        case WM_COMMAND:  // OK, Enter and Esc
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

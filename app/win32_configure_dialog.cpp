// The configuration dialog: eleven trackbars and two check boxes over the settings
// record, the user's own model, OK to store, Cancel to leave, Default to show the
// defaults, "?" for About.
#include "app/win32_configure_dialog.h"

#include <commctrl.h>

#include <commdlg.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/background_job.h"
#include "app/model_summary.h"
#include "app/settings.h"
#include "app/win32_dialog_layout.h"
#include "host/host_state.h"
#include "host/win32_host.h"
#include "platform/trace.h"
#include "platform/win32_utf8.h"

namespace {

constexpr int kMotionBlurBox = IDC_BLUR;
constexpr int kLightingBox = IDC_LIGHTING;
constexpr int kDefaultButton = IDC_DEFAULT;
constexpr int kHelpButton = IDC_ABOUT;
constexpr int kXRotationSpeedTrackbar = IDC_XROTS;
constexpr int kCaptionLabelId = IDC_CAPTION;  // every caption label; never addressed otherwise

// The model file the dialog shows; stored by OK only. Empty: the built-in lodge.
std::string shownModelFile;

// A model file's summary is read as background work; its end is told by this message,
// which carries nothing: the dialog takes the summary from the job it still holds.
constexpr UINT kModelSummaryRead = WM_APP + 1;
// The summary being read of the file shown. Showing another file, or closing the
// dialog, drops it: a dropped job tells nobody.
std::unique_ptr<BackgroundJob<ModelFileSummary>> summaryJob;

// Reading a large model takes seconds: the dialog says "Reading..." and stays usable.
void StartModelSummary(HWND dialog, const std::string& path) {
    SetDlgItemTextW(dialog, IDC_MODEL_SUMMARY, L"Reading...");
    summaryJob = std::make_unique<BackgroundJob<ModelFileSummary>>(
        [path] { return SummarizeModelFile(path); }, [dialog] { PostMessageW(dialog, kModelSummaryRead, 0, 0); });
}

// A message of a job dropped since finds the job now held unfinished, or none.
void OnModelSummaryRead(HWND dialog) {
    if (!summaryJob || !summaryJob->finished()) return;
    const ModelFileSummary summary = summaryJob->take();
    summaryJob.reset();
    SetDlgItemTextW(dialog, IDC_MODEL_SUMMARY, WideFromUtf8(summary.text).c_str());
}

// The model row: the file's name (or the lodge) and what reading it finds.
void ShowModelFile(HWND dialog, const std::string& path) {
    shownModelFile = path;
    if (path.empty()) {
        summaryJob.reset();  // a summary still being read is of no file shown
        SetDlgItemTextW(dialog, IDC_MODEL_NAME, L"Built-in lodge");
        SetDlgItemTextW(dialog, IDC_MODEL_SUMMARY, L"");
        return;
    }
    SetDlgItemTextW(dialog, IDC_MODEL_NAME, WideFromUtf8(FileNamePart(path)).c_str());
    StartModelSummary(dialog, path);
}

// The system's Open dialog, owned by this one; the chosen path as UTF-8, or empty.
std::string BrowseForModel(HWND dialog) {
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = dialog;
    open.lpstrFilter = L"3D models (*.3ds;*.ms3d;*.obj;*.gltf;*.glb;*.stl;*.ply)\0*.3ds;*.ms3d;*.obj;*.gltf;*.glb;*.stl;*.ply\0";
    open.lpstrFile = file.data();
    open.nMaxFile = static_cast<DWORD>(file.size());
    open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&open)) return std::string();
    return Utf8FromWide(file.data());
}

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
        case IDC_MODEL_BROWSE: {
            Trace("User hit the model BROWSE button");
            const std::string chosen = BrowseForModel(dialog);
            if (!chosen.empty()) ShowModelFile(dialog, chosen);
            break;
        }
        case IDC_MODEL_BUILTIN:
            Trace("User hit the model BUILT-IN button");
            ShowModelFile(dialog, std::string());
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
    for (const SettingDescription& setting : kSettingDescriptions) {
        const int value = Settings.*setting.field;
        const int id = setting.controlId;
        if (setting.control == SettingControl::CheckBox) {
            CheckDlgButton(dialog, id, value == 1 ? BST_CHECKED : BST_UNCHECKED);
            continue;
        }
        SendDlgItemMessageA(dialog, id, TBM_SETRANGE, FALSE, MAKELPARAM(setting.minimum, setting.maximum));
        SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, value);
        SendDlgItemMessageA(dialog, id, TBM_SETLINESIZE, 0, 1);
        SendDlgItemMessageA(dialog, id, TBM_SETPAGESIZE, 0, 5);
        SetLabelNumber(dialog, id, value);
    }
    ShowModelFile(dialog, Settings.modelFile);
    // In the order of the stored values: the selection's index is the value.
    SendDlgItemMessageA(dialog, IDC_MONITORS, CB_RESETCONTENT, 0, 0);
    for (const char* choice : {"Each monitor its own lodge", "One lodge across all monitors", "Main monitor only"})
        SendDlgItemMessageA(dialog, IDC_MONITORS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    SendDlgItemMessageA(dialog, IDC_MONITORS, CB_SETCURSEL,
                        static_cast<WPARAM>(MonitorLayoutFromStored(static_cast<uint32_t>(Settings.monitors))), 0);
    return true;
}

void readDialogValues(HWND dialog) {
    for (const SettingDescription& setting : kSettingDescriptions) {
        if (setting.control == SettingControl::CheckBox)
            ReadCheckBox(dialog, setting.controlId, Settings.*setting.field);
        else
            Settings.*setting.field =
                static_cast<int32_t>(SendDlgItemMessageA(dialog, setting.controlId, TBM_GETPOS, 0, 0));
    }
    Settings.modelFile = shownModelFile;
    const LRESULT monitors = SendDlgItemMessageA(dialog, IDC_MONITORS, CB_GETCURSEL, 0, 0);
    if (monitors != CB_ERR) Settings.monitors = static_cast<int32_t>(monitors);
}

bool updateTrackbarLabel(HWND dialog, HWND control) {
    for (const SettingDescription& setting : kSettingDescriptions) {
        if (setting.control != SettingControl::Trackbar || control != GetDlgItem(dialog, setting.controlId)) continue;
        SetLabelNumber(dialog, setting.controlId, static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0)));
        if (setting.controlId == kXRotationSpeedTrackbar) Trace("Caught some xrotation speed input");
        return true;
    }
    return false;
}

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            Trace("ScreenSaverConfigureDialog:\tCaught a WM_INITDIALOG signal");
            WidenClippedLabels(dialog, kCaptionLabelId);
            setDialogValues(dialog);
            return TRUE;  // the dialog manager sets the focus
        case WM_HSCROLL:
            return updateTrackbarLabel(dialog, reinterpret_cast<HWND>(lParam));
        case kModelSummaryRead:
            OnModelSummaryRead(dialog);
            return TRUE;
        case WM_DESTROY:
            // OK or Cancel while a summary is read: the dialog ends at once.
            summaryJob.reset();
            return FALSE;
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
            Trace("ScreenSaverHelpDialog:\tCaught a WM_INITDIALOG signal");
            return TRUE;
        case WM_COMMAND:  // OK, Enter and Esc
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

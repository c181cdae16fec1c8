// The configuration dialog (template 7001) and its About box (template 7002). The
// controls hold the pending values; the settings record changes only on Default and
// OK, and the registry only on OK.
#pragma once
#include <windows.h>

#include "resources/resource_ids.h"

constexpr int kAboutDialogId = IDD_ABOUT;

// Puts the settings into the controls: trackbar ranges, positions, line and page
// sizes, the value labels (the stored number, even where the thumb is clamped) and the
// check boxes (checked only for exactly 1). Returns true.
bool setDialogValues(HWND dialog);
// Reads the trackbar positions and check boxes back into the settings record.
void readDialogValues(HWND dialog);
// Sets the value label of the trackbar `control` to its thumb position; false when
// `control` is none of the eleven trackbars.
bool updateTrackbarLabel(HWND dialog, HWND control);

// The configuration dialog's procedure (template 7001); ends the dialog with the exit code.
INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ScreenSaverHelpDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

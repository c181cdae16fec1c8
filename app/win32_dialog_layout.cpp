#include "app/win32_dialog_layout.h"

namespace {

bool IsOfClass(HWND control, const char* name) {
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    return !lstrcmpiA(className, name);
}

bool IsLeftAlignedLabel(HWND control, int labelId) {
    return GetDlgCtrlID(control) == labelId && IsOfClass(control, "Static") &&
           (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_LEFT;
}

bool IsGroupBox(HWND control) {
    return IsOfClass(control, "Button") && (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

int TextWidth(HWND control) {
    char text[128] = {};
    GetWindowTextA(control, text, sizeof text);
    RECT needed = {0, 0, 0, 0};
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return needed.right;
}

RECT BoxInDialog(HWND dialog, HWND control) {
    RECT box;
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

}  // namespace

void WidenClippedLabels(HWND dialog, int labelId) {
    for (HWND label = GetWindow(dialog, GW_CHILD); label; label = GetWindow(label, GW_HWNDNEXT)) {
        if (!IsLeftAlignedLabel(label, labelId)) continue;
        const RECT box = BoxInDialog(dialog, label);
        // Two pixels more than the text for the last glyph's overhang.
        const int needed = TextWidth(label) + 2;
        if (needed <= box.right - box.left) continue;
        // The nearest control to the right on the same line bounds it; group boxes
        // surround the labels and do not.
        int limit = box.left + needed;
        for (HWND other = GetWindow(dialog, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
            if (other == label || IsGroupBox(other)) continue;
            const RECT next = BoxInDialog(dialog, other);
            if (next.left >= box.right && next.top < box.bottom && next.bottom > box.top && next.left - 2 < limit)
                limit = next.left - 2;
        }
        if (limit > box.right)
            SetWindowPos(label, nullptr, 0, 0, limit - box.left, box.bottom - box.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

